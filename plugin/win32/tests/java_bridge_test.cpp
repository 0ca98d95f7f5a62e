// The Java bridge of the real NPKIRRA.DLL, driven through a fake Java runtime
// and a recording Automation object.
#include <windows.h>
#include <oleauto.h>

#include "plugin/win32/tests/fake_java.h"
#include "plugin/win32/tests/plugin_fixture.h"
#include "plugin/win32/tests/test_dispatch.h"

namespace harness {
namespace {

typedef void(JRI_CALLBACK* SetPropertyFn)(JRIEnv*, jref, jint, jref);
typedef jref(JRI_CALLBACK* GetPropertyFn)(JRIEnv*, jref, jint);
typedef jref(JRI_CALLBACK* InvokeFn)(JRIEnv*, jref, jint, jref);
typedef jint(JRI_CALLBACK* IdOfNameFn)(JRIEnv*, jref, jref);
typedef void(JRI_CALLBACK* RefFn)(JRIEnv*, jref);
typedef JRISlot*(JRI_CALLBACK* StubFn)(JRISlot*, JRIEnv*);
typedef HRESULT(WINAPI* ErrorTextsFn)(LCID, HRESULT, BSTR*, BSTR*);

// One class's natives, looked up by their exported names.
struct Natives {
  SetPropertyFn set = nullptr;
  GetPropertyFn get = nullptr;
  InvokeFn invoke = nullptr;
  IdOfNameFn idOfName = nullptr;
};

class JavaBridgeTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    browser.script.javaEnv = java.env();
    start(true);
    env = java.env();
    const char* classes[] = {"Dispatch", "ActiveControl"};
    Natives* sets[] = {&dispatchNatives, &controlNatives};
    for (int i = 0; i < 2; ++i) {
      const std::string prefix = std::string("native_tarnwick_ole_") + classes[i] + "_";
      sets[i]->set = plugin.proc<SetPropertyFn>((prefix + "SetPropertyI").c_str());
      sets[i]->get = plugin.proc<GetPropertyFn>((prefix + "GetPropertyI").c_str());
      sets[i]->invoke = plugin.proc<InvokeFn>((prefix + "InvokeI").c_str());
      sets[i]->idOfName = plugin.proc<IdOfNameFn>((prefix + "GetIdOfName").c_str());
      ASSERT_TRUE(sets[i]->set && sets[i]->get && sets[i]->invoke && sets[i]->idOfName);
    }
    errorTexts = reinterpret_cast<ErrorTextsFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("GRISTEL.DLL"), MAKEINTRESOURCEA(1))));
    ASSERT_NE(nullptr, errorTexts);
    self = java.dispatch(&object);
    control = java.activeControl(&object);
  }
  void TearDown() override {
    EXPECT_TRUE(java.errors.empty()) << java.errors.front();
    PluginTest::TearDown();
  }

  // "<id>: <description>" as gristel words them for `hr`.
  std::u16string texts(HRESULT hr) {
    BSTR id = nullptr, description = nullptr;
    errorTexts(GetUserDefaultLCID(), hr, &id, &description);
    std::u16string s(reinterpret_cast<const char16_t*>(id), SysStringLen(id));
    s += u": ";
    s.append(reinterpret_cast<const char16_t*>(description), SysStringLen(description));
    SysFreeString(id);
    SysFreeString(description);
    return s;
  }
  void expectThrown(const std::u16string& message, HRESULT hr) {
    ASSERT_EQ(1u, java.thrown.size());
    const JObject* e = java.thrown[0];
    EXPECT_EQ("tarnwick.ole.OleException", e->cls);
    ASSERT_NE(nullptr, e->message);
    EXPECT_EQ(message, e->message->str);
    EXPECT_EQ(hr, e->hresult);
    java.thrown.clear();
  }
  const InvokeSeen& lastInvoke() { return object.invokes.back(); }

  FakeJava java;
  JRIEnv* env = nullptr;
  Natives dispatchNatives, controlNatives;
  ErrorTextsFn errorTexts = nullptr;
  TestDispatch object;
  JObject* self = nullptr;
  JObject* control = nullptr;
};

TEST_F(JavaBridgeTest, RegistrationCachesIdentitiesAndRegistersNatives) {
  ASSERT_EQ(2u, java.registrations.size());
  const FakeJava::Registration& d = java.registrations[0];
  const FakeJava::Registration& a = java.registrations[1];
  EXPECT_EQ("tarnwick.ole.Dispatch", d.cls);
  EXPECT_EQ("tarnwick.ole.ActiveControl", a.cls);
  const std::vector<std::string> names = {
      "SetPropertyI(ILjava/lang/Object;)V", "GetPropertyI(I)Ljava/lang/Object;",
      "InvokeI(I[Ljava/lang/Object;)Ljava/lang/Object;", "GetIdOfName(Ljava/lang/String;)I", "AddRef()V",
      "Release()V"};
  EXPECT_EQ(names, d.names);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4), a.names);
  const char* dispatchImpls[] = {"SetPropertyI", "GetPropertyI", "InvokeI", "GetIdOfName", "AddRef", "Release"};
  for (size_t i = 0; i < d.impls.size(); ++i)
    EXPECT_EQ(plugin.proc<void*>((std::string("native_tarnwick_ole_Dispatch_") + dispatchImpls[i]).c_str()),
              d.impls[i]);
  for (size_t i = 0; i < a.impls.size(); ++i)
    EXPECT_EQ(plugin.proc<void*>((std::string("native_tarnwick_ole_ActiveControl_") + dispatchImpls[i]).c_str()),
              a.impls[i]);

  // javaClass is a global reference to ActiveControl.
  ASSERT_NE(nullptr, table.javaClass);
  EXPECT_EQ(java.classObject("tarnwick/ole/ActiveControl"), java.global(table.javaClass));

  const std::vector<std::string> globals = {"java.lang.Object",      "java.lang.Class",   "java.lang.Boolean",
                                            "java.lang.Integer",     "java.lang.Float",   "java.lang.Double",
                                            "tarnwick.ole.Dispatch", "tarnwick.ole.ActiveControl",
                                            "tarnwick.ole.ActiveControl"};  // the last one for javaClass
  EXPECT_EQ(globals, java.globalClasses);

  struct Want {
    const char* cls;
    const char* name;
    const char* sig;
    bool isStatic;
  };
  const Want wanted[] = {
      {"java.lang.Object", "toString", "()Ljava/lang/String;", false},
      {"java.lang.Class", "getName", "()Ljava/lang/String;", false},
      {"java.lang.Boolean", "<init>", "(Z)V", true},
      {"java.lang.Boolean", "booleanValue", "()Z", false},
      {"java.lang.Integer", "<init>", "(I)V", true},
      {"java.lang.Integer", "intValue", "()I", false},
      {"java.lang.Float", "<init>", "(F)V", true},
      {"java.lang.Float", "floatValue", "()F", false},
      {"java.lang.Double", "<init>", "(D)V", true},
      {"java.lang.Double", "doubleValue", "()D", false},
      {"tarnwick.ole.Dispatch", "<init>", "(I)V", true},
  };
  ASSERT_EQ(std::size(wanted), java.methodLookups.size());
  for (size_t i = 0; i < std::size(wanted); ++i) {
    SCOPED_TRACE(wanted[i].name);
    EXPECT_EQ(wanted[i].cls, java.methodLookups[i].cls);
    EXPECT_EQ(wanted[i].name, java.methodLookups[i].name);
    EXPECT_EQ(wanted[i].sig, java.methodLookups[i].sig);
    EXPECT_EQ(wanted[i].isStatic, java.methodLookups[i].isStatic);
  }
  ASSERT_EQ(2u, java.fieldLookups.size());
  EXPECT_EQ("tarnwick.ole.Dispatch", java.fieldLookups[0].cls);
  EXPECT_EQ("tarnwick.ole.ActiveControl", java.fieldLookups[1].cls);
  for (const auto& f : java.fieldLookups) {
    EXPECT_EQ("m_interface", f.name);
    EXPECT_EQ("I", f.sig);
  }
}

TEST_F(JavaBridgeTest, MissingClassesAtRegistration) {
  struct Case {
    const char* missing;
    size_t registrations;
    bool javaClass;
  };
  const Case cases[] = {{"tarnwick/ole/ActiveControl", 1, false}, {"tarnwick/ole/Dispatch", 1, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.missing);
    plugin.unload();
    ASSERT_TRUE(plugin.load(programFolder() + "NPKIRRA.DLL"));
    FakeJava other;
    other.missingClasses.insert(c.missing);
    browser.script.javaEnv = other.env();
    start(true);
    EXPECT_EQ(c.registrations, other.registrations.size());
    EXPECT_EQ(c.javaClass, table.javaClass != nullptr);
  }
  g_java = &java;
}

TEST_F(JavaBridgeTest, JavaValuesBecomeVariants) {
  JObject* other = java.activeControl(nullptr);
  struct Case {
    const char* what;
    JObject* value;
    VARTYPE vt;
    LONG i4;
    VARIANT_BOOL b;
    double r;
    std::wstring text;
  };
  const Case cases[] = {
      {"Integer", java.integer(-42), VT_I4, -42, 0, 0, L""},
      {"Boolean true", java.boolean(true), VT_BOOL, 0, VARIANT_TRUE, 0, L""},
      {"Boolean false", java.boolean(false), VT_BOOL, 0, VARIANT_FALSE, 0, L""},
      {"Float", java.floating(1.5f), VT_R4, 0, 0, 1.5, L""},
      {"Double", java.doubling(2.25), VT_R8, 0, 0, 2.25, L""},
      {"String", java.string(u"h\u00e9llo \u4e2d"), VT_BSTR, 0, 0, 0, L"h\u00e9llo \u4e2d"},
      {"String with zero", java.string(std::u16string(u"a\0b", 3)), VT_BSTR, 0, 0, 0, std::wstring(L"a\0b", 3)},
      {"Short", java.shortValue(-7), VT_BSTR, 0, 0, 0, L"-7"},
      {"ActiveControl", other, VT_BSTR, 0, 0, 0, L"tarnwick.ole.ActiveControl@1f"},
      {"null", nullptr, VT_NULL, 0, 0, 0, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dispatchNatives.set(env, self, 17, c.value);
    ASSERT_FALSE(object.invokes.empty());
    const InvokeSeen& s = lastInvoke();
    EXPECT_EQ(17, s.member);
    EXPECT_EQ(DISPATCH_PROPERTYPUT, s.flags);
    EXPECT_TRUE(IsEqualIID(IID_NULL, s.iid));
    EXPECT_EQ(GetUserDefaultLCID(), s.lcid);
    EXPECT_FALSE(s.wantsResult);
    EXPECT_FALSE(s.givesArgErr);
    ASSERT_EQ(1u, s.args.size());
    EXPECT_EQ(std::vector<DISPID>{DISPID_PROPERTYPUT}, s.named);
    const ArgSeen& a = s.args[0];
    EXPECT_EQ(c.vt, a.vt);
    EXPECT_EQ(c.i4, a.i4);
    EXPECT_EQ(c.b, a.b);
    if (c.vt == VT_R4) { EXPECT_EQ(float(c.r), a.r4); }
    if (c.vt == VT_R8) { EXPECT_EQ(c.r, a.r8); }
    if (c.vt == VT_BSTR) { EXPECT_EQ(c.text, a.text); }
  }
  EXPECT_TRUE(java.thrown.empty());
  // The ActiveControl receiver uses its own field and sends the same put.
  controlNatives.set(env, control, 3, java.integer(1));
  EXPECT_EQ(3, lastInvoke().member);
  EXPECT_EQ(VT_I4, lastInvoke().args[0].vt);
}

TEST_F(JavaBridgeTest, DispatchArgumentHoldsAReferenceForTheCallOnly) {
  TestDispatch argument;
  JObject* wrapper = java.dispatch(&argument);
  dispatchNatives.set(env, self, 1, wrapper);
  ASSERT_EQ(1u, lastInvoke().args.size());
  EXPECT_EQ(VT_DISPATCH, lastInvoke().args[0].vt);
  EXPECT_EQ(&argument, lastInvoke().args[0].disp);
  EXPECT_EQ(2, lastInvoke().args[0].dispRefs) << "one reference for the variant";
  EXPECT_EQ(1, argument.refs) << "given back when the arguments are cleared";

  dispatchNatives.invoke(env, self, 2, java.array({wrapper, java.integer(1)}));
  EXPECT_EQ(2, lastInvoke().args[1].dispRefs);
  EXPECT_EQ(1, argument.refs);
}

TEST_F(JavaBridgeTest, VariantsBecomeJavaValues) {
  struct Case {
    const char* what;
    VARTYPE vt;
    LONGLONG value;  // integer payload (or CY units)
    double real;
    const wchar_t* text;  // for VT_BSTR
    const char* cls;      // null: Java null
    int32_t i;
    bool z;
    double d;
    std::u16string str;
  };
  const Case cases[] = {
      {"EMPTY", VT_EMPTY, 0, 0, nullptr, nullptr, 0, false, 0, u""},
      {"NULL", VT_NULL, 0, 0, nullptr, nullptr, 0, false, 0, u""},
      {"I2 -1", VT_I2, -1, 0, nullptr, "java.lang.Integer", -1, false, 0, u""},
      {"I4", VT_I4, 123456, 0, nullptr, "java.lang.Integer", 123456, false, 0, u""},
      {"R4", VT_R4, 0, 0.75, nullptr, "java.lang.Float", 0, false, 0.75, u""},
      {"R8", VT_R8, 0, -1e100, nullptr, "java.lang.Double", 0, false, -1e100, u""},
      {"BOOL true", VT_BOOL, -1, 0, nullptr, "java.lang.Boolean", 0, true, 0, u""},
      {"BOOL false", VT_BOOL, 0, 0, nullptr, "java.lang.Boolean", 0, false, 0, u""},
      {"BOOL low byte zero", VT_BOOL, 0x0100, 0, nullptr, "java.lang.Boolean", 0, false, 0, u""},
      {"BOOL low byte set", VT_BOOL, 0x0001, 0, nullptr, "java.lang.Boolean", 0, true, 0, u""},
      {"BSTR", VT_BSTR, 0, 0, L"caf\u00e9", "java.lang.String", 0, false, 0, u"caf\u00e9"},
      {"DATE", VT_DATE, 0, 45356.0 + (14 * 3600 + 30 * 60 + 15) / 86400.0, nullptr, "java.lang.String", 0, false,
       0, u"3/5/2024 2:30:15 PM"},
      {"CY", VT_CY, 12345678, 0, nullptr, "java.lang.String", 0, false, 0, u"1234.5678"},
      {"UI1 by text", VT_UI1, 200, 0, nullptr, "java.lang.String", 0, false, 0, u"200"},
      {"ERROR", VT_ERROR, 0, 0, nullptr, nullptr, 0, false, 0, u""},
      {"UNKNOWN", VT_UNKNOWN, 0, 0, nullptr, nullptr, 0, false, 0, u""},
      {"null DISPATCH", VT_DISPATCH, 0, 0, nullptr, nullptr, 0, false, 0, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VariantClear(&object.result);
    V_VT(&object.result) = c.vt;
    switch (c.vt) {
      case VT_I2: V_I2(&object.result) = SHORT(c.value); break;
      case VT_I4: V_I4(&object.result) = LONG(c.value); break;
      case VT_UI1: V_UI1(&object.result) = BYTE(c.value); break;
      case VT_R4: V_R4(&object.result) = float(c.real); break;
      case VT_R8: V_R8(&object.result) = c.real; break;
      case VT_DATE: V_DATE(&object.result) = c.real; break;
      case VT_BOOL: V_BOOL(&object.result) = VARIANT_BOOL(c.value); break;
      case VT_CY: V_CY(&object.result).int64 = c.value; break;
      case VT_BSTR: V_BSTR(&object.result) = SysAllocString(c.text); break;
      case VT_ERROR: V_ERROR(&object.result) = DISP_E_PARAMNOTFOUND; break;
      case VT_UNKNOWN: V_UNKNOWN(&object.result) = nullptr; break;
      case VT_DISPATCH: V_DISPATCH(&object.result) = nullptr; break;
      default: break;
    }
    for (int receiver = 0; receiver < 2; ++receiver) {
      const JObject* got = static_cast<JObject*>(receiver ? controlNatives.get(env, control, 5)
                                                         : dispatchNatives.get(env, self, 5));
      EXPECT_EQ(DISPATCH_PROPERTYGET, lastInvoke().flags);
      EXPECT_TRUE(lastInvoke().args.empty());
      EXPECT_TRUE(lastInvoke().wantsResult);
      if (!c.cls) {
        EXPECT_EQ(nullptr, got);
        continue;
      }
      ASSERT_NE(nullptr, got);
      EXPECT_EQ(c.cls, got->cls);
      EXPECT_EQ(c.i, got->i);
      EXPECT_EQ(c.z, got->z);
      EXPECT_EQ(c.d, got->d);
      EXPECT_EQ(c.str, got->str);
    }
  }
  EXPECT_TRUE(java.thrown.empty());
}

TEST_F(JavaBridgeTest, BstrResultEndsAtItsFirstZero) {
  VariantClear(&object.result);
  V_VT(&object.result) = VT_BSTR;
  V_BSTR(&object.result) = SysAllocStringLen(L"ab\0cd", 5);
  const JObject* got = static_cast<JObject*>(dispatchNatives.get(env, self, 1));
  ASSERT_NE(nullptr, got);
  EXPECT_EQ(u"ab", got->str);
}

TEST_F(JavaBridgeTest, DispatchResultOwnsItsOwnReference) {
  TestDispatch returned;
  VariantClear(&object.result);
  V_VT(&object.result) = VT_DISPATCH;
  V_DISPATCH(&object.result) = &returned;
  returned.AddRef();  // the scripted result's own reference
  const JObject* got = static_cast<JObject*>(dispatchNatives.invoke(env, self, 9, java.array({})));
  ASSERT_NE(nullptr, got);
  EXPECT_EQ("tarnwick.ole.Dispatch", got->cls);
  EXPECT_EQ(int32_t(reinterpret_cast<intptr_t>(&returned)), got->mInterface);
  // 1 (test) + 1 (scripted result) + 1 (the new Dispatch); the copy made for
  // the call was cleared by the bridge.
  EXPECT_EQ(3, returned.refs);

  auto addRef = plugin.proc<RefFn>("native_tarnwick_ole_Dispatch_AddRef");
  auto release = plugin.proc<RefFn>("native_tarnwick_ole_Dispatch_Release");
  addRef(env, const_cast<JObject*>(got));
  EXPECT_EQ(4, returned.refs);
  release(env, const_cast<JObject*>(got));
  release(env, const_cast<JObject*>(got));
  EXPECT_EQ(2, returned.refs);
  VariantClear(&object.result);
  EXPECT_EQ(1, returned.refs);
}

TEST_F(JavaBridgeTest, InvokeReversesTheArguments) {
  V_VT(&object.result) = VT_I4;
  V_I4(&object.result) = 99;
  const JObject* got = static_cast<JObject*>(
      dispatchNatives.invoke(env, self, 12, java.array({java.integer(1), java.string(u"two"), java.boolean(true)})));
  ASSERT_NE(nullptr, got);
  EXPECT_EQ(99, got->i);
  const InvokeSeen& s = lastInvoke();
  EXPECT_EQ(12, s.member);
  EXPECT_EQ(DISPATCH_METHOD, s.flags);
  EXPECT_TRUE(s.named.empty());
  EXPECT_TRUE(s.wantsResult);
  EXPECT_TRUE(s.givesArgErr);
  EXPECT_EQ(UINT(-1), s.argErrOnEntry);
  ASSERT_EQ(3u, s.args.size());
  EXPECT_EQ(VT_BOOL, s.args[0].vt);
  EXPECT_EQ(VARIANT_TRUE, s.args[0].b);
  EXPECT_EQ(VT_BSTR, s.args[1].vt);
  EXPECT_EQ(L"two", s.args[1].text);
  EXPECT_EQ(VT_I4, s.args[2].vt);
  EXPECT_EQ(1, s.args[2].i4);

  for (JObject* none : {java.array({}), static_cast<JObject*>(nullptr)}) {
    controlNatives.invoke(env, control, 4, none);
    EXPECT_TRUE(lastInvoke().args.empty());
    EXPECT_EQ(DISPATCH_METHOD, lastInvoke().flags);
  }
  dispatchNatives.invoke(env, self, 4, java.array({nullptr}));
  ASSERT_EQ(1u, lastInvoke().args.size());
  EXPECT_EQ(VT_NULL, lastInvoke().args[0].vt) << "a Java null element";
  EXPECT_TRUE(java.thrown.empty());
}

TEST_F(JavaBridgeTest, FailureMessagesByOperation) {
  object.invokeResult = DISP_E_MEMBERNOTFOUND;
  const std::u16string t = texts(DISP_E_MEMBERNOTFOUND);
  ASSERT_GT(t.size(), 12u);
  EXPECT_EQ(u"0x80020003: ", t.substr(0, 12));

  dispatchNatives.set(env, self, 1, java.integer(1));
  expectThrown(u"PropertyPut failed with error " + t, DISP_E_MEMBERNOTFOUND);
  controlNatives.set(env, control, 1, java.integer(1));
  expectThrown(u"PropertyPut failed with error " + t, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(nullptr, dispatchNatives.get(env, self, 1));
  expectThrown(u"Invoke failed with error " + t, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(nullptr, controlNatives.get(env, control, 1));
  expectThrown(u"PropertyGet failed with error " + t, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(nullptr, dispatchNatives.invoke(env, self, 1, java.array({java.integer(1)})));
  expectThrown(u"Invoke failed with error " + t, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(nullptr, controlNatives.invoke(env, control, 1, nullptr));
  expectThrown(u"Invoke failed with error " + t, DISP_E_MEMBERNOTFOUND);
}

TEST_F(JavaBridgeTest, RejectedArgumentIsNamedByItsJavaPosition) {
  object.invokeResult = DISP_E_TYPEMISMATCH;
  object.argErr = 1;  // Automation order: the third of four Java elements
  JObject* args = java.array({java.integer(1), java.integer(2), java.string(u"x"), java.integer(4)});
  for (int receiver = 0; receiver < 2; ++receiver) {
    EXPECT_EQ(nullptr, receiver ? controlNatives.invoke(env, control, 1, args) : dispatchNatives.invoke(env, self, 1, args));
    expectThrown(u"Invoke failed on argument 3 with error " + texts(DISP_E_TYPEMISMATCH), DISP_E_TYPEMISMATCH);
  }
}

TEST_F(JavaBridgeTest, GetIdOfName) {
  object.names[L"Caption"] = 0x1F;
  object.names[std::wstring(L"A\0B", 3)] = 0x2F;
  EXPECT_EQ(0x1F, dispatchNatives.idOfName(env, self, java.string(u"Caption")));
  EXPECT_EQ(0x1F, controlNatives.idOfName(env, control, java.string(u"Caption")));
  EXPECT_EQ(0x2F, dispatchNatives.idOfName(env, self, java.string(std::u16string(u"A\0B", 3))))
      << "the name goes with its exact length";
  EXPECT_TRUE(java.thrown.empty());

  const jint id = dispatchNatives.idOfName(env, self, java.string(u"Frobnicate"));
  EXPECT_EQ(DISPID_UNKNOWN, id) << "whatever the object left";
  expectThrown(u"Frobnicate is not a method or property (" + texts(DISP_E_UNKNOWNNAME) + u")", DISP_E_UNKNOWNNAME);
}

TEST_F(JavaBridgeTest, LongMessagesAreCut) {
  const std::u16string name(300, u'n');
  dispatchNatives.idOfName(env, self, java.string(name));
  ASSERT_EQ(1u, java.thrown.size());
  EXPECT_EQ(std::u16string(255, u'n'), java.thrown[0]->message->str);
  java.thrown.clear();
}

TEST_F(JavaBridgeTest, ActiveControlWithoutInterfaceDoesNothing) {
  JObject* empty = java.activeControl(nullptr);
  controlNatives.set(env, empty, 1, java.integer(1));
  EXPECT_EQ(nullptr, controlNatives.get(env, empty, 1));
  EXPECT_EQ(nullptr, controlNatives.invoke(env, empty, 1, java.array({java.integer(1)})));
  EXPECT_EQ(0, controlNatives.idOfName(env, empty, java.string(u"Caption")));
  EXPECT_TRUE(java.thrown.empty());
  EXPECT_TRUE(object.invokes.empty());
}

TEST_F(JavaBridgeTest, DispatchWithoutInterfaceThrows) {
  JObject* empty = java.dispatch(nullptr);
  const std::u16string t = texts(E_POINTER);
  dispatchNatives.set(env, empty, 1, java.integer(1));
  expectThrown(u"PropertyPut failed with error " + t, E_POINTER);
  EXPECT_EQ(nullptr, dispatchNatives.get(env, empty, 1));
  expectThrown(u"Invoke failed with error " + t, E_POINTER);
  EXPECT_EQ(nullptr, dispatchNatives.invoke(env, empty, 1, nullptr));
  expectThrown(u"Invoke failed with error " + t, E_POINTER);
  EXPECT_EQ(0, dispatchNatives.idOfName(env, empty, java.string(u"X")));
  expectThrown(u"X is not a method or property (" + t + u")", E_POINTER);
  plugin.proc<RefFn>("native_tarnwick_ole_Dispatch_AddRef")(env, empty);
  plugin.proc<RefFn>("native_tarnwick_ole_Dispatch_Release")(env, empty);
  EXPECT_TRUE(java.thrown.empty());
}

TEST_F(JavaBridgeTest, NoExceptionClassMeansNoThrow) {
  java.missingClasses.insert("tarnwick/ole/OleException");
  object.invokeResult = E_FAIL;
  EXPECT_EQ(nullptr, dispatchNatives.get(env, self, 1));
  EXPECT_TRUE(java.thrown.empty());
}

TEST_F(JavaBridgeTest, StubsUnpackTheSlots) {
  V_VT(&object.result) = VT_I4;
  V_I4(&object.result) = 5;
  object.names[L"Go"] = 8;
  struct Case {
    const char* name;
    std::vector<JRISlot> slots;
    bool hasResult;
    int member;  // expected member of the recorded invoke, 0 for none
  };
  auto ref = [](void* p) { return reinterpret_cast<JRISlot>(p); };
  const Case cases[] = {
      {"Java_tarnwick_ole_Dispatch_SetProperty_stub", {ref(self), 3, ref(java.integer(1))}, false, 3},
      {"Java_tarnwick_ole_Dispatch_GetProperty_stub", {ref(self), 4}, true, 4},
      {"Java_tarnwick_ole_Dispatch_InvokeI_stub", {ref(self), 6, ref(java.array({}))}, true, 6},
      {"Java_tarnwick_ole_Dispatch_GetIdOfName_stub", {ref(self), ref(java.string(u"Go"))}, true, 0},
      {"Java_tarnwick_ole_Dispatch_AddRef_stub", {ref(self)}, false, 0},
      {"Java_tarnwick_ole_Dispatch_Release_stub", {ref(self)}, false, 0},
      {"Java_tarnwick_ole_ActiveControl_SetPropertyI_stub", {ref(control), 13, ref(java.integer(1))}, false, 13},
      {"Java_tarnwick_ole_ActiveControl_GetPropertyI_stub", {ref(control), 14}, true, 14},
      {"Java_tarnwick_ole_ActiveControl_InvokeI_stub", {ref(control), 16, 0}, true, 16},
      {"Java_tarnwick_ole_ActiveControl_GetIdOfName_stub", {ref(control), ref(java.string(u"Go"))}, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StubFn stub = plugin.proc<StubFn>(c.name);
    ASSERT_NE(nullptr, stub);
    std::vector<JRISlot> slots = c.slots;
    slots.push_back(0x5A5A);
    const size_t invokes = object.invokes.size();
    JRISlot* back = stub(slots.data(), env);
    EXPECT_EQ(c.hasResult ? slots.data() + 1 : slots.data(), back);
    if (c.member) {
      ASSERT_EQ(invokes + 1, object.invokes.size());
      EXPECT_EQ(c.member, lastInvoke().member);
    }
    if (c.hasResult && c.member && c.member != 3 && c.member != 13) {
      const JObject* r = reinterpret_cast<JObject*>(slots[0]);
      ASSERT_NE(nullptr, r);
      EXPECT_EQ(5, r->i);
    }
    if (c.hasResult && !c.member) { EXPECT_EQ(8, slots[0]); }
  }
  EXPECT_EQ(1, object.refs) << "AddRef and Release stubs balance";
  EXPECT_TRUE(java.thrown.empty());
}

}  // namespace
}  // namespace harness
