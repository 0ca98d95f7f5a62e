// The Java bridge: natives of tarnwick.ole.Dispatch and
// tarnwick.ole.ActiveControl, through which Java code calls OLE Automation
// objects, and their registration with the Java runtime.
#pragma once

#include "plugin/win32/jri.h"

namespace npkirra {

// Caches the Java identities the natives use and registers the natives.
// Returns the ActiveControl class, or null when the runtime has none.
jref registerJavaClasses(JRIEnv* env);

}  // namespace npkirra

// The natives, exported under these names (cdecl).
extern "C" {
void JRI_CALLBACK native_tarnwick_ole_Dispatch_SetPropertyI(JRIEnv* env, jref self, jint member, jref value);
jref JRI_CALLBACK native_tarnwick_ole_Dispatch_GetPropertyI(JRIEnv* env, jref self, jint member);
jref JRI_CALLBACK native_tarnwick_ole_Dispatch_InvokeI(JRIEnv* env, jref self, jint member, jref arguments);
jint JRI_CALLBACK native_tarnwick_ole_Dispatch_GetIdOfName(JRIEnv* env, jref self, jref name);
void JRI_CALLBACK native_tarnwick_ole_Dispatch_AddRef(JRIEnv* env, jref self);
void JRI_CALLBACK native_tarnwick_ole_Dispatch_Release(JRIEnv* env, jref self);
void JRI_CALLBACK native_tarnwick_ole_ActiveControl_SetPropertyI(JRIEnv* env, jref self, jint member, jref value);
jref JRI_CALLBACK native_tarnwick_ole_ActiveControl_GetPropertyI(JRIEnv* env, jref self, jint member);
jref JRI_CALLBACK native_tarnwick_ole_ActiveControl_InvokeI(JRIEnv* env, jref self, jint member, jref arguments);
jint JRI_CALLBACK native_tarnwick_ole_ActiveControl_GetIdOfName(JRIEnv* env, jref self, jref name);
}
