// A fake Java runtime behind our JRI table: objects of the few classes the
// bridge meets, class objects with getName, method and field identities,
// global references, RegisterNatives and Throw, all recorded for the tests.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "plugin/win32/jri.h"

namespace harness {

struct JObject {
  std::string cls;  // dotted class name: "java.lang.Integer", "java.lang.Class", ...
  std::string names;  // for class objects: the dotted name of the class
  int32_t i = 0;
  bool z = false;
  double d = 0;  // Float and Double values
  std::u16string str;
  std::vector<JObject*> elements;
  int32_t mInterface = 0;  // Dispatch and ActiveControl
  JObject* message = nullptr;  // OleException
  int32_t hresult = 0;         // OleException
};

class FakeJava {
 public:
  FakeJava();
  ~FakeJava();
  JRIEnv* env() { return &table_; }

  JObject* integer(int32_t v);
  JObject* boolean(bool v);
  JObject* floating(float v);
  JObject* doubling(double v);
  JObject* shortValue(int16_t v);  // a java.lang.Short: converted by its text
  JObject* string(const std::u16string& s);
  JObject* dispatch(void* iface);
  JObject* activeControl(void* iface);
  JObject* array(std::vector<JObject*> elements);
  JObject* classObject(const std::string& slashed);  // null for a missing class

  std::set<std::string> missingClasses;  // slashed names FindClass does not find

  struct Lookup {
    std::string cls, name, sig;
    bool isStatic;
  };
  struct Registration {
    std::string cls;
    std::vector<std::string> names;
    std::vector<void*> impls;
  };
  std::vector<Lookup> methodLookups;
  std::vector<Lookup> fieldLookups;
  std::vector<Registration> registrations;
  std::vector<std::string> globalClasses;  // classes of the global references made
  std::vector<JObject*> thrown;
  std::vector<std::string> errors;  // misuse of the interface seen by the fake

  // Resolves a global reference made by NewGlobalRef.
  JObject* global(JRIGlobalRef ref) const;

  // Internals used by the table functions.
  JObject* make(const std::string& cls);
  JObject* findClass(const char* slashed);
  const Lookup* method(JRIMethodID id);
  const Lookup* field(JRIFieldID id);
  JRIGlobalRef newGlobal(JObject* object);

 private:
  JRIEnv table_;
  std::vector<std::unique_ptr<JObject>> objects_;
  std::map<std::string, JObject*> classes_;
  std::vector<std::unique_ptr<JObject*>> globals_;
};

extern FakeJava* g_java;

}  // namespace harness
