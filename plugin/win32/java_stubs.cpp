// Stubs for Java runtimes that bind natives by exported name. A stub gets
// the argument slots (slot 0 the receiver, then one per argument) and the
// environment; one with a result stores it in slot 0 and returns the address
// of slot 1, one without returns the slots unchanged.
#include "plugin/win32/java_bridge.h"

#define JAVA_STUB(name) extern "C" JRISlot* JRI_CALLBACK name(JRISlot* slots, JRIEnv* env)

namespace {

jref ref(JRISlot slot) { return reinterpret_cast<jref>(slot); }
jint integer(JRISlot slot) { return jint(slot); }

JRISlot* returning(JRISlot* slots, jref result) {
  slots[0] = reinterpret_cast<JRISlot>(result);
  return slots + 1;
}
JRISlot* returning(JRISlot* slots, jint result) {
  slots[0] = JRISlot(result);
  return slots + 1;
}

}  // namespace

JAVA_STUB(Java_tarnwick_ole_Dispatch_SetProperty_stub) {
  native_tarnwick_ole_Dispatch_SetPropertyI(env, ref(slots[0]), integer(slots[1]), ref(slots[2]));
  return slots;
}
JAVA_STUB(Java_tarnwick_ole_Dispatch_GetProperty_stub) {
  return returning(slots, native_tarnwick_ole_Dispatch_GetPropertyI(env, ref(slots[0]), integer(slots[1])));
}
JAVA_STUB(Java_tarnwick_ole_Dispatch_InvokeI_stub) {
  return returning(slots,
                   native_tarnwick_ole_Dispatch_InvokeI(env, ref(slots[0]), integer(slots[1]), ref(slots[2])));
}
JAVA_STUB(Java_tarnwick_ole_Dispatch_GetIdOfName_stub) {
  return returning(slots, native_tarnwick_ole_Dispatch_GetIdOfName(env, ref(slots[0]), ref(slots[1])));
}
JAVA_STUB(Java_tarnwick_ole_Dispatch_AddRef_stub) {
  native_tarnwick_ole_Dispatch_AddRef(env, ref(slots[0]));
  return slots;
}
JAVA_STUB(Java_tarnwick_ole_Dispatch_Release_stub) {
  native_tarnwick_ole_Dispatch_Release(env, ref(slots[0]));
  return slots;
}
JAVA_STUB(Java_tarnwick_ole_ActiveControl_SetPropertyI_stub) {
  native_tarnwick_ole_ActiveControl_SetPropertyI(env, ref(slots[0]), integer(slots[1]), ref(slots[2]));
  return slots;
}
JAVA_STUB(Java_tarnwick_ole_ActiveControl_GetPropertyI_stub) {
  return returning(slots, native_tarnwick_ole_ActiveControl_GetPropertyI(env, ref(slots[0]), integer(slots[1])));
}
JAVA_STUB(Java_tarnwick_ole_ActiveControl_InvokeI_stub) {
  return returning(
      slots, native_tarnwick_ole_ActiveControl_InvokeI(env, ref(slots[0]), integer(slots[1]), ref(slots[2])));
}
JAVA_STUB(Java_tarnwick_ole_ActiveControl_GetIdOfName_stub) {
  return returning(slots, native_tarnwick_ole_ActiveControl_GetIdOfName(env, ref(slots[0]), ref(slots[1])));
}
