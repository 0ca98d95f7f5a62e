#include "plugin/win32/tests/fake_java.h"

#include <cstdarg>
#include <string>

namespace harness {

FakeJava* g_java = nullptr;

namespace {

JObject* obj(jref r) { return static_cast<JObject*>(r); }

std::string dotted(std::string s) {
  for (char& c : s)
    if (c == '/') c = '.';
  return s;
}

std::u16string widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::u16string textOf(const JObject* o) {
  if (o->cls == "java.lang.String") return o->str;
  if (o->cls == "java.lang.Integer" || o->cls == "java.lang.Short") return widen(std::to_string(o->i));
  if (o->cls == "java.lang.Boolean") return o->z ? u"true" : u"false";
  if (o->cls == "java.lang.Class") return u"class " + widen(o->names);
  return widen(o->cls + "@1f");
}

jref JRI_CALLBACK findClass(JRIEnv*, const char* name) { return g_java->findClass(name); }

JRIGlobalRef JRI_CALLBACK newGlobalRef(JRIEnv*, jref ref) { return g_java->newGlobal(obj(ref)); }

jref JRI_CALLBACK getGlobalRef(JRIEnv*, JRIGlobalRef ref) { return g_java->global(ref); }

JRIMethodID lookupMethod(jref clazz, const char* name, const char* sig, bool isStatic) {
  if (!clazz) {
    g_java->errors.push_back(std::string("method lookup on a null class: ") + name);
    return 0;
  }
  g_java->methodLookups.push_back({obj(clazz)->names, name, sig, isStatic});
  return JRIMethodID(g_java->methodLookups.size());
}
JRIMethodID JRI_CALLBACK getMethodID(JRIEnv*, jref clazz, const char* name, const char* sig) {
  return lookupMethod(clazz, name, sig, false);
}
JRIMethodID JRI_CALLBACK getStaticMethodID(JRIEnv*, jref clazz, const char* name, const char* sig) {
  return lookupMethod(clazz, name, sig, true);
}
JRIFieldID JRI_CALLBACK getFieldID(JRIEnv*, jref clazz, const char* name, const char* sig) {
  if (!clazz) return 0;
  g_java->fieldLookups.push_back({obj(clazz)->names, name, sig, false});
  return JRIFieldID(g_java->fieldLookups.size());
}

void JRI_CALLBACK registerNatives(JRIEnv*, jref clazz, char** names, void** impls) {
  FakeJava::Registration r;
  r.cls = clazz ? obj(clazz)->names : "(null)";
  for (int i = 0; names[i]; ++i) {
    r.names.push_back(names[i]);
    r.impls.push_back(impls[i]);
  }
  g_java->registrations.push_back(r);
}

jref JRI_CALLBACK newObject(JRIEnv*, jref clazz, JRIMethodID id, ...) {
  const FakeJava::Lookup* ctor = g_java->method(id);
  if (!ctor || ctor->name != "<init>" || !ctor->isStatic || !clazz || obj(clazz)->names != ctor->cls) {
    g_java->errors.push_back("NewObject with a wrong constructor");
    return nullptr;
  }
  JObject* o = g_java->make(ctor->cls);
  va_list ap;
  va_start(ap, id);
  if (ctor->sig == "(I)V") {
    const int32_t v = va_arg(ap, int32_t);
    if (ctor->cls == "tarnwick.ole.Dispatch")
      o->mInterface = v;
    else
      o->i = v;
  } else if (ctor->sig == "(Z)V") {
    o->z = va_arg(ap, int) != 0;
  } else if (ctor->sig == "(F)V" || ctor->sig == "(D)V") {
    o->d = va_arg(ap, double);
  } else if (ctor->sig == "(Ljava/lang/String;I)V") {
    o->message = obj(va_arg(ap, jref));
    o->hresult = va_arg(ap, int32_t);
  } else {
    g_java->errors.push_back("NewObject with signature " + ctor->sig);
  }
  va_end(ap);
  return o;
}

jref JRI_CALLBACK getObjectClass(JRIEnv*, jref o) {
  std::string slashed = obj(o)->cls;
  for (char& c : slashed)
    if (c == '.') c = '/';
  return g_java->findClass(slashed.c_str());
}

// Checks that `id` names `name` and that the receiver has that method.
bool callable(jref o, JRIMethodID id, const char* name) {
  const FakeJava::Lookup* m = g_java->method(id);
  if (!o || !m || m->name != name || m->isStatic) {
    g_java->errors.push_back(std::string("bad call of ") + name);
    return false;
  }
  const std::string& cls = obj(o)->cls;
  if (m->cls != "java.lang.Object" && m->cls != cls) {
    g_java->errors.push_back(std::string(name) + " of " + m->cls + " called on " + cls);
    return false;
  }
  return true;
}

jref JRI_CALLBACK callMethod(JRIEnv*, jref o, JRIMethodID id, ...) {
  const FakeJava::Lookup* m = g_java->method(id);
  if (m && m->name == "getName" && callable(o, id, "getName")) {
    return g_java->string(widen(obj(o)->names));
  }
  if (callable(o, id, "toString")) return g_java->string(textOf(obj(o)));
  return nullptr;
}
jint JRI_CALLBACK callMethodInt(JRIEnv*, jref o, JRIMethodID id, ...) {
  return callable(o, id, "intValue") ? obj(o)->i : 0;
}
jbool JRI_CALLBACK callMethodBoolean(JRIEnv*, jref o, JRIMethodID id, ...) {
  return callable(o, id, "booleanValue") ? jbool(obj(o)->z) : 0;
}
jfloat JRI_CALLBACK callMethodFloat(JRIEnv*, jref o, JRIMethodID id, ...) {
  return callable(o, id, "floatValue") ? jfloat(obj(o)->d) : 0;
}
jdouble JRI_CALLBACK callMethodDouble(JRIEnv*, jref o, JRIMethodID id, ...) {
  return callable(o, id, "doubleValue") ? obj(o)->d : 0;
}

jint JRI_CALLBACK getFieldInt(JRIEnv*, jref o, JRIFieldID id) {
  const FakeJava::Lookup* f = g_java->field(id);
  if (!o || !f || f->name != "m_interface" || f->cls != obj(o)->cls) {
    g_java->errors.push_back("GetFieldInt with a field of another class");
    return 0;
  }
  return obj(o)->mInterface;
}

const jchar* JRI_CALLBACK getStringChars(JRIEnv*, jref s) {
  return reinterpret_cast<const jchar*>(obj(s)->str.c_str());
}
jsize JRI_CALLBACK getStringLength(JRIEnv*, jref s) { return jsize(obj(s)->str.size()); }
jref JRI_CALLBACK newString(JRIEnv*, const jchar* chars, jsize length) {
  return g_java->string(std::u16string(reinterpret_cast<const char16_t*>(chars), size_t(length)));
}
jsize JRI_CALLBACK getObjectArrayLength(JRIEnv*, jref a) { return jsize(obj(a)->elements.size()); }
jref JRI_CALLBACK getObjectArrayElement(JRIEnv*, jref a, jsize i) {
  if (i < 0 || size_t(i) >= obj(a)->elements.size()) {
    g_java->errors.push_back("array index out of range");
    return nullptr;
  }
  return obj(a)->elements[size_t(i)];
}
void JRI_CALLBACK throwObject(JRIEnv*, jref t) { g_java->thrown.push_back(obj(t)); }

const JRIEnvInterface kTable = {
    findClass,      newGlobalRef,      getGlobalRef,    getMethodID,      getStaticMethodID, getFieldID,
    registerNatives, newObject,        getObjectClass,  callMethod,       callMethodInt,     callMethodBoolean,
    callMethodFloat, callMethodDouble, getFieldInt,     getStringChars,   getStringLength,   newString,
    getObjectArrayLength, getObjectArrayElement, throwObject,
};

}  // namespace

FakeJava::FakeJava() : table_(&kTable) { g_java = this; }
FakeJava::~FakeJava() { g_java = nullptr; }

JObject* FakeJava::make(const std::string& cls) {
  objects_.push_back(std::make_unique<JObject>());
  objects_.back()->cls = cls;
  return objects_.back().get();
}

JObject* FakeJava::findClass(const char* slashed) {
  if (!slashed || missingClasses.count(slashed)) return nullptr;
  JObject*& c = classes_[slashed];
  if (!c) {
    c = make("java.lang.Class");
    c->names = dotted(slashed);
  }
  return c;
}

JObject* FakeJava::classObject(const std::string& slashed) { return findClass(slashed.c_str()); }

const FakeJava::Lookup* FakeJava::method(JRIMethodID id) {
  return id >= 1 && size_t(id) <= methodLookups.size() ? &methodLookups[size_t(id) - 1] : nullptr;
}
const FakeJava::Lookup* FakeJava::field(JRIFieldID id) {
  return id >= 1 && size_t(id) <= fieldLookups.size() ? &fieldLookups[size_t(id) - 1] : nullptr;
}

JRIGlobalRef FakeJava::newGlobal(JObject* object) {
  globals_.push_back(std::make_unique<JObject*>(object));
  globalClasses.push_back(object ? object->names : "(null)");
  return globals_.back().get();
}

JObject* FakeJava::global(JRIGlobalRef ref) const {
  for (const auto& g : globals_)
    if (g.get() == ref) return *g;
  g_java->errors.push_back("not a global reference");
  return nullptr;
}

JObject* FakeJava::integer(int32_t v) {
  JObject* o = make("java.lang.Integer");
  o->i = v;
  return o;
}
JObject* FakeJava::boolean(bool v) {
  JObject* o = make("java.lang.Boolean");
  o->z = v;
  return o;
}
JObject* FakeJava::floating(float v) {
  JObject* o = make("java.lang.Float");
  o->d = v;
  return o;
}
JObject* FakeJava::doubling(double v) {
  JObject* o = make("java.lang.Double");
  o->d = v;
  return o;
}
JObject* FakeJava::shortValue(int16_t v) {
  JObject* o = make("java.lang.Short");
  o->i = v;
  return o;
}
JObject* FakeJava::string(const std::u16string& s) {
  JObject* o = make("java.lang.String");
  o->str = s;
  return o;
}
JObject* FakeJava::dispatch(void* iface) {
  JObject* o = make("tarnwick.ole.Dispatch");
  o->mInterface = int32_t(reinterpret_cast<intptr_t>(iface));
  return o;
}
JObject* FakeJava::activeControl(void* iface) {
  JObject* o = make("tarnwick.ole.ActiveControl");
  o->mInterface = int32_t(reinterpret_cast<intptr_t>(iface));
  return o;
}
JObject* FakeJava::array(std::vector<JObject*> elements) {
  JObject* o = make("[Ljava.lang.Object;");
  o->elements = std::move(elements);
  return o;
}

}  // namespace harness
