// The module-wide count of live class factories and extension objects, which
// decides whether the server may be unloaded.
#pragma once

namespace morvane {

// Called by the constructor and the destructor of every factory and object;
// nothing else changes the count. Plain increments: the server is
// apartment-threaded.
void liveObjectCreated();
void liveObjectDestroyed();
long liveObjectCount();

// True exactly while no factory and no extension object is alive.
inline bool canUnloadNow() { return liveObjectCount() == 0; }

}  // namespace morvane
