#include "plugin/win32/java_bridge.h"

#include <windows.h>
#include <oleauto.h>

#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/core/failure_message.h"
#include "plugin/win32/gristel.h"

namespace npkirra {
namespace {

// Java identities cached by the registration and only read afterwards.
struct JavaIdentities {
  JRIGlobalRef objectClass = nullptr, classClass = nullptr, booleanClass = nullptr, integerClass = nullptr,
               floatClass = nullptr, doubleClass = nullptr, dispatchClass = nullptr, activeControlClass = nullptr;
  JRIMethodID toString = 0, getName = 0;
  JRIMethodID booleanInit = 0, integerInit = 0, floatInit = 0, doubleInit = 0, dispatchInit = 0;
  JRIMethodID booleanValue = 0, intValue = 0, floatValue = 0, doubleValue = 0;
  JRIFieldID dispatchInterface = 0, activeControlInterface = 0;
};
JavaIdentities g_java;

enum class Receiver { kDispatch, kActiveControl };

constexpr char kPutFailed[] = "PropertyPut failed with error %s: %s";
constexpr char kInvokeFailed[] = "Invoke failed with error %s: %s";
constexpr char kGetFailed[] = "PropertyGet failed with error %s: %s";
constexpr char kArgumentFailed[] = "Invoke failed on argument %d with error %s: %s";
constexpr char kUnknownName[] = "%s is not a method or property (%s: %s)";

std::u16string_view textOf(const wchar_t* s, size_t length) {
  return std::u16string_view(reinterpret_cast<const char16_t*>(s), length);
}
std::u16string_view textOf(BSTR s) { return s ? textOf(s, SysStringLen(s)) : std::u16string_view(); }

std::u16string_view javaChars(JRIEnv* env, jref str) {
  if (!str) return std::u16string_view();
  const jchar* chars = (*env)->GetStringChars(env, str);
  const jsize length = (*env)->GetStringLength(env, str);
  if (!chars || length <= 0) return std::u16string_view();
  return std::u16string_view(reinterpret_cast<const char16_t*>(chars), size_t(length));
}

bool sameText(std::u16string_view a, const char* ascii) {
  const size_t n = std::char_traits<char>::length(ascii);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (a[i] != char16_t(ascii[i])) return false;
  return true;
}

jref globalClass(JRIEnv* env, JRIGlobalRef ref) { return (*env)->GetGlobalRef(env, ref); }

// The failure report: texts from gristel, the message cut to its buffer, and
// an OleException thrown with it. Nothing is thrown when the exception class
// cannot be found. `first`, when given, fills the first placeholder (the
// argument position or the member name) ahead of the two texts.
void reportFailure(JRIEnv* env, HRESULT hr, const char* format, const MessageArg* first = nullptr) {
  BSTR identification = nullptr;
  BSTR description = nullptr;
  gristelErrorTexts(GetUserDefaultLCID(), hr, &identification, &description);
  std::vector<MessageArg> args;
  if (first) args.push_back(*first);
  args.emplace_back(textOf(identification));
  args.emplace_back(textOf(description));
  const std::u16string message = formatFailureMessage(format, args);
  SysFreeString(identification);
  SysFreeString(description);

  jref exceptionClass = (*env)->FindClass(env, "tarnwick/ole/OleException");
  if (!exceptionClass) return;
  const JRIMethodID init = (*env)->GetStaticMethodID(env, exceptionClass, "<init>", "(Ljava/lang/String;I)V");
  if (!init) return;
  jref text = (*env)->NewString(env, reinterpret_cast<const jchar*>(message.data()), jsize(message.size()));
  jref exception = (*env)->NewObject(env, exceptionClass, init, text, jint(hr));
  if (exception) (*env)->Throw(env, exception);
}

// The receiver's Automation object (m_interface of its class).
IDispatch* interfaceOf(JRIEnv* env, jref self, Receiver r) {
  const JRIFieldID field = r == Receiver::kDispatch ? g_java.dispatchInterface : g_java.activeControlInterface;
  return reinterpret_cast<IDispatch*>(intptr_t((*env)->GetFieldInt(env, self, field)));
}

// Java value to Automation value, by the exact name of the value's class.
// A Java null becomes VT_NULL.
void toVariant(JRIEnv* env, jref value, VARIANT* v) {
  VariantInit(v);
  if (!value) {
    V_VT(v) = VT_NULL;
    return;
  }
  jref cls = (*env)->GetObjectClass(env, value);
  const std::u16string_view name = javaChars(env, (*env)->CallMethod(env, cls, g_java.getName));
  if (sameText(name, "java.lang.Integer")) {
    V_VT(v) = VT_I4;
    V_I4(v) = (*env)->CallMethodInt(env, value, g_java.intValue);
  } else if (sameText(name, "java.lang.Boolean")) {
    V_VT(v) = VT_BOOL;
    V_BOOL(v) = (*env)->CallMethodBoolean(env, value, g_java.booleanValue) ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (sameText(name, "java.lang.Float")) {
    V_VT(v) = VT_R4;
    V_R4(v) = (*env)->CallMethodFloat(env, value, g_java.floatValue);
  } else if (sameText(name, "java.lang.Double")) {
    V_VT(v) = VT_R8;
    V_R8(v) = (*env)->CallMethodDouble(env, value, g_java.doubleValue);
  } else if (sameText(name, "tarnwick.ole.Dispatch")) {
    IDispatch* disp = interfaceOf(env, value, Receiver::kDispatch);
    if (disp) disp->AddRef();  // the variant's own reference, dropped when it is cleared
    V_VT(v) = VT_DISPATCH;
    V_DISPATCH(v) = disp;
  } else {
    const std::u16string_view text = javaChars(env, (*env)->CallMethod(env, value, g_java.toString));
    V_VT(v) = VT_BSTR;
    V_BSTR(v) = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), UINT(text.size()));
  }
}

// Automation value to Java value; the variant stays with the caller.
jref toJava(JRIEnv* env, VARIANT* v) {
  switch (V_VT(v)) {
    case VT_EMPTY:
    case VT_NULL:
      return nullptr;
    case VT_I2:
      return (*env)->NewObject(env, globalClass(env, g_java.integerClass), g_java.integerInit, jint(V_I2(v)));
    case VT_I4:
      return (*env)->NewObject(env, globalClass(env, g_java.integerClass), g_java.integerInit, jint(V_I4(v)));
    case VT_R4:
      return (*env)->NewObject(env, globalClass(env, g_java.floatClass), g_java.floatInit, double(V_R4(v)));
    case VT_R8:
      return (*env)->NewObject(env, globalClass(env, g_java.doubleClass), g_java.doubleInit, V_R8(v));
    case VT_DISPATCH: {
      IDispatch* disp = V_DISPATCH(v);
      if (!disp) return nullptr;  // no object: Java null rather than a wrapper around 0
      disp->AddRef();             // owned by the new Dispatch object
      return (*env)->NewObject(env, globalClass(env, g_java.dispatchClass), g_java.dispatchInit,
                               jint(reinterpret_cast<intptr_t>(disp)));
    }
    case VT_BOOL:
      return (*env)->NewObject(env, globalClass(env, g_java.booleanClass), g_java.booleanInit,
                               int((V_BOOL(v) & 0xFF) != 0));
    default: {
      VARIANT text;
      VariantInit(&text);
      jref result = nullptr;
      if (SUCCEEDED(VariantChangeType(&text, v, 0, VT_BSTR))) {
        const BSTR s = V_BSTR(&text);
        const size_t length = s ? std::wcslen(s) : 0;
        result = (*env)->NewString(env, reinterpret_cast<const jchar*>(s ? s : L""), jsize(length));
      }
      VariantClear(&text);
      return result;
    }
  }
}

void setProperty(JRIEnv* env, jref self, jint member, jref value, Receiver r) {
  IDispatch* disp = interfaceOf(env, self, r);
  if (!disp) {
    if (r == Receiver::kDispatch) reportFailure(env, E_POINTER, kPutFailed);
    return;
  }
  VARIANT arg;
  toVariant(env, value, &arg);
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params = {&arg, &named, 1, 1};
  const HRESULT hr =
      disp->Invoke(member, IID_NULL, GetUserDefaultLCID(), DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
  VariantClear(&arg);
  if (FAILED(hr)) reportFailure(env, hr, kPutFailed);
}

jref getProperty(JRIEnv* env, jref self, jint member, Receiver r) {
  const char* failed = r == Receiver::kDispatch ? kInvokeFailed : kGetFailed;
  IDispatch* disp = interfaceOf(env, self, r);
  if (!disp) {
    if (r == Receiver::kDispatch) reportFailure(env, E_POINTER, failed);
    return nullptr;
  }
  DISPPARAMS params = {nullptr, nullptr, 0, 0};
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr =
      disp->Invoke(member, IID_NULL, GetUserDefaultLCID(), DISPATCH_PROPERTYGET, &params, &result, nullptr, nullptr);
  if (FAILED(hr)) {
    VariantClear(&result);
    reportFailure(env, hr, failed);
    return nullptr;
  }
  jref object = toJava(env, &result);
  VariantClear(&result);
  return object;
}

// The Java array becomes the Automation argument list in reverse order. A
// null array means no arguments.
jref invoke(JRIEnv* env, jref self, jint member, jref arguments, Receiver r) {
  IDispatch* disp = interfaceOf(env, self, r);
  if (!disp) {
    if (r == Receiver::kDispatch) reportFailure(env, E_POINTER, kInvokeFailed);
    return nullptr;
  }
  const jsize length = arguments ? (*env)->GetObjectArrayLength(env, arguments) : 0;
  const UINT n = length > 0 ? UINT(length) : 0;
  std::vector<VARIANT> args(n);
  for (UINT i = 0; i < n; ++i) toVariant(env, (*env)->GetObjectArrayElement(env, arguments, jsize(i)), &args[n - 1 - i]);
  DISPPARAMS params = {n ? args.data() : nullptr, nullptr, n, 0};
  UINT argumentError = UINT(-1);
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr = disp->Invoke(member, IID_NULL, GetUserDefaultLCID(), DISPATCH_METHOD, &params, &result,
                                  nullptr, &argumentError);
  for (VARIANT& a : args) VariantClear(&a);
  if (FAILED(hr)) {
    VariantClear(&result);
    if (argumentError == UINT(-1)) {
      reportFailure(env, hr, kInvokeFailed);
    } else {
      const MessageArg position(int(n) - int(argumentError));
      reportFailure(env, hr, kArgumentFailed, &position);
    }
    return nullptr;
  }
  jref object = toJava(env, &result);
  VariantClear(&result);
  return object;
}

jint idOfName(JRIEnv* env, jref self, jref name, Receiver r) {
  IDispatch* disp = interfaceOf(env, self, r);
  const std::u16string_view chars = javaChars(env, name);
  if (!disp) {
    if (r == Receiver::kDispatch) {
      const MessageArg nameArg(chars);
      reportFailure(env, E_POINTER, kUnknownName, &nameArg);
    }
    return 0;
  }
  BSTR text = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(chars.data()), UINT(chars.size()));
  DISPID id = 0;
  const HRESULT hr = disp->GetIDsOfNames(IID_NULL, &text, 1, GetUserDefaultLCID(), &id);
  if (FAILED(hr)) {
    const MessageArg nameArg(chars);
    reportFailure(env, hr, kUnknownName, &nameArg);
  }
  SysFreeString(text);
  return jint(id);
}

// Finds a class and keeps a global reference to it (null stays null).
jref findClass(JRIEnv* env, const char* name, JRIGlobalRef* global) {
  jref cls = (*env)->FindClass(env, name);
  *global = cls ? (*env)->NewGlobalRef(env, cls) : nullptr;
  return cls;
}

// A native as it is registered: the name and signature Java knows it by,
// and the function that implements it.
struct NativeMethod {
  const char* nameAndSignature;
  void* function;
};

template <class Function>
NativeMethod native(const char* nameAndSignature, Function* function) {
  return {nameAndSignature, reinterpret_cast<void*>(function)};
}

const NativeMethod kDispatchNatives[] = {
    native("SetPropertyI(ILjava/lang/Object;)V", native_tarnwick_ole_Dispatch_SetPropertyI),
    native("GetPropertyI(I)Ljava/lang/Object;", native_tarnwick_ole_Dispatch_GetPropertyI),
    native("InvokeI(I[Ljava/lang/Object;)Ljava/lang/Object;", native_tarnwick_ole_Dispatch_InvokeI),
    native("GetIdOfName(Ljava/lang/String;)I", native_tarnwick_ole_Dispatch_GetIdOfName),
    native("AddRef()V", native_tarnwick_ole_Dispatch_AddRef),
    native("Release()V", native_tarnwick_ole_Dispatch_Release),
};

const NativeMethod kActiveControlNatives[] = {
    native("SetPropertyI(ILjava/lang/Object;)V", native_tarnwick_ole_ActiveControl_SetPropertyI),
    native("GetPropertyI(I)Ljava/lang/Object;", native_tarnwick_ole_ActiveControl_GetPropertyI),
    native("InvokeI(I[Ljava/lang/Object;)Ljava/lang/Object;", native_tarnwick_ole_ActiveControl_InvokeI),
    native("GetIdOfName(Ljava/lang/String;)I", native_tarnwick_ole_ActiveControl_GetIdOfName),
};

// The runtime takes the names and the functions as two lists, each ended by
// null.
template <std::size_t N>
void registerNatives(JRIEnv* env, jref cls, const NativeMethod (&natives)[N]) {
  std::vector<char*> names;
  std::vector<void*> functions;
  for (const NativeMethod& n : natives) {
    names.push_back(const_cast<char*>(n.nameAndSignature));
    functions.push_back(n.function);
  }
  names.push_back(nullptr);
  functions.push_back(nullptr);
  (*env)->RegisterNatives(env, cls, names.data(), functions.data());
}

}  // namespace

jref registerJavaClasses(JRIEnv* env) {
  const JRIEnvInterface& e = **env;
  jref cls = findClass(env, "java/lang/Object", &g_java.objectClass);
  g_java.toString = e.GetMethodID(env, cls, "toString", "()Ljava/lang/String;");
  cls = findClass(env, "java/lang/Class", &g_java.classClass);
  g_java.getName = e.GetMethodID(env, cls, "getName", "()Ljava/lang/String;");
  cls = findClass(env, "java/lang/Boolean", &g_java.booleanClass);
  g_java.booleanInit = e.GetStaticMethodID(env, cls, "<init>", "(Z)V");
  g_java.booleanValue = e.GetMethodID(env, cls, "booleanValue", "()Z");
  cls = findClass(env, "java/lang/Integer", &g_java.integerClass);
  g_java.integerInit = e.GetStaticMethodID(env, cls, "<init>", "(I)V");
  g_java.intValue = e.GetMethodID(env, cls, "intValue", "()I");
  cls = findClass(env, "java/lang/Float", &g_java.floatClass);
  g_java.floatInit = e.GetStaticMethodID(env, cls, "<init>", "(F)V");
  g_java.floatValue = e.GetMethodID(env, cls, "floatValue", "()F");
  cls = findClass(env, "java/lang/Double", &g_java.doubleClass);
  g_java.doubleInit = e.GetStaticMethodID(env, cls, "<init>", "(D)V");
  g_java.doubleValue = e.GetMethodID(env, cls, "doubleValue", "()D");

  if (jref dispatch = findClass(env, "tarnwick/ole/Dispatch", &g_java.dispatchClass)) {
    g_java.dispatchInit = e.GetStaticMethodID(env, dispatch, "<init>", "(I)V");
    g_java.dispatchInterface = e.GetFieldID(env, dispatch, "m_interface", "I");
    registerNatives(env, dispatch, kDispatchNatives);
  }

  jref activeControl = findClass(env, "tarnwick/ole/ActiveControl", &g_java.activeControlClass);
  if (!activeControl) return nullptr;
  g_java.activeControlInterface = e.GetFieldID(env, activeControl, "m_interface", "I");
  registerNatives(env, activeControl, kActiveControlNatives);
  return activeControl;
}

}  // namespace npkirra

using npkirra::Receiver;

extern "C" {

void JRI_CALLBACK native_tarnwick_ole_Dispatch_SetPropertyI(JRIEnv* env, jref self, jint member, jref value) {
  npkirra::setProperty(env, self, member, value, Receiver::kDispatch);
}
jref JRI_CALLBACK native_tarnwick_ole_Dispatch_GetPropertyI(JRIEnv* env, jref self, jint member) {
  return npkirra::getProperty(env, self, member, Receiver::kDispatch);
}
jref JRI_CALLBACK native_tarnwick_ole_Dispatch_InvokeI(JRIEnv* env, jref self, jint member, jref arguments) {
  return npkirra::invoke(env, self, member, arguments, Receiver::kDispatch);
}
jint JRI_CALLBACK native_tarnwick_ole_Dispatch_GetIdOfName(JRIEnv* env, jref self, jref name) {
  return npkirra::idOfName(env, self, name, Receiver::kDispatch);
}
void JRI_CALLBACK native_tarnwick_ole_Dispatch_AddRef(JRIEnv* env, jref self) {
  if (IDispatch* disp = npkirra::interfaceOf(env, self, Receiver::kDispatch)) disp->AddRef();
}
void JRI_CALLBACK native_tarnwick_ole_Dispatch_Release(JRIEnv* env, jref self) {
  if (IDispatch* disp = npkirra::interfaceOf(env, self, Receiver::kDispatch)) disp->Release();
}
void JRI_CALLBACK native_tarnwick_ole_ActiveControl_SetPropertyI(JRIEnv* env, jref self, jint member, jref value) {
  npkirra::setProperty(env, self, member, value, Receiver::kActiveControl);
}
jref JRI_CALLBACK native_tarnwick_ole_ActiveControl_GetPropertyI(JRIEnv* env, jref self, jint member) {
  return npkirra::getProperty(env, self, member, Receiver::kActiveControl);
}
jref JRI_CALLBACK native_tarnwick_ole_ActiveControl_InvokeI(JRIEnv* env, jref self, jint member, jref arguments) {
  return npkirra::invoke(env, self, member, arguments, Receiver::kActiveControl);
}
jint JRI_CALLBACK native_tarnwick_ole_ActiveControl_GetIdOfName(JRIEnv* env, jref self, jref name) {
  return npkirra::idOfName(env, self, name, Receiver::kActiveControl);
}

}  // extern "C"
