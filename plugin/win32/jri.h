// The least of the Java Runtime Interface that this library uses.
//
// Layout (ours, used alike by the bridge and by the test environment):
//   JRIEnv is a pointer to a table of functions: a native receives `JRIEnv* env`
//   and calls `(*env)->FindClass(env, "java/lang/Integer")`. Every function takes
//   the environment first. All are cdecl (JRI_CALLBACK); the variadic ones
//   (NewObject, CallMethod*) take the Java arguments in the order of the
//   signature with the C promotions: boolean and int as int, float as double,
//   references as jref.
//   jref is an opaque local reference (null is Java null); JRIGlobalRef is an
//   opaque global reference, turned back into a jref by GetGlobalRef.
//   Method and field identities are opaque 32-bit numbers; 0 means "not found".
//   Java strings are UTF-16 (jchar) with an explicit length.
#pragma once

#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define JRI_CALLBACK __cdecl
#else
#define JRI_CALLBACK
#endif

typedef void* jref;
typedef void* JRIGlobalRef;
typedef int32_t jint;
typedef int32_t jsize;
typedef uint8_t jbool;
typedef float jfloat;
typedef double jdouble;
typedef uint16_t jchar;
typedef int32_t JRIMethodID;
typedef int32_t JRIFieldID;

// One Java argument slot of a natives' stub: slot 0 holds the receiver, then
// one slot per (int or reference) argument.
typedef intptr_t JRISlot;

struct JRIEnvInterface;
typedef const JRIEnvInterface* JRIEnv;

struct JRIEnvInterface {
  jref(JRI_CALLBACK* FindClass)(JRIEnv* env, const char* name);
  JRIGlobalRef(JRI_CALLBACK* NewGlobalRef)(JRIEnv* env, jref ref);
  jref(JRI_CALLBACK* GetGlobalRef)(JRIEnv* env, JRIGlobalRef global);
  JRIMethodID(JRI_CALLBACK* GetMethodID)(JRIEnv* env, jref clazz, const char* name, const char* sig);
  JRIMethodID(JRI_CALLBACK* GetStaticMethodID)(JRIEnv* env, jref clazz, const char* name, const char* sig);
  JRIFieldID(JRI_CALLBACK* GetFieldID)(JRIEnv* env, jref clazz, const char* name, const char* sig);
  // nameAndSigs: "Name(Sig)Ret" strings ended by null, impls the functions in the same order.
  void(JRI_CALLBACK* RegisterNatives)(JRIEnv* env, jref clazz, char** nameAndSigs, void** impls);
  jref(JRI_CALLBACK* NewObject)(JRIEnv* env, jref clazz, JRIMethodID ctor, ...);
  jref(JRI_CALLBACK* GetObjectClass)(JRIEnv* env, jref obj);
  jref(JRI_CALLBACK* CallMethod)(JRIEnv* env, jref obj, JRIMethodID method, ...);
  jint(JRI_CALLBACK* CallMethodInt)(JRIEnv* env, jref obj, JRIMethodID method, ...);
  jbool(JRI_CALLBACK* CallMethodBoolean)(JRIEnv* env, jref obj, JRIMethodID method, ...);
  jfloat(JRI_CALLBACK* CallMethodFloat)(JRIEnv* env, jref obj, JRIMethodID method, ...);
  jdouble(JRI_CALLBACK* CallMethodDouble)(JRIEnv* env, jref obj, JRIMethodID method, ...);
  jint(JRI_CALLBACK* GetFieldInt)(JRIEnv* env, jref obj, JRIFieldID field);
  const jchar*(JRI_CALLBACK* GetStringChars)(JRIEnv* env, jref str);
  jsize(JRI_CALLBACK* GetStringLength)(JRIEnv* env, jref str);
  jref(JRI_CALLBACK* NewString)(JRIEnv* env, const jchar* chars, jsize length);
  jsize(JRI_CALLBACK* GetObjectArrayLength)(JRIEnv* env, jref array);
  jref(JRI_CALLBACK* GetObjectArrayElement)(JRIEnv* env, jref array, jsize index);
  void(JRI_CALLBACK* Throw)(JRIEnv* env, jref throwable);
};
