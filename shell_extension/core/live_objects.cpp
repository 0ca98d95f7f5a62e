#include "shell_extension/core/live_objects.h"

namespace morvane {
namespace {
long liveObjects = 0;
}  // namespace

void liveObjectCreated() { ++liveObjects; }
void liveObjectDestroyed() { --liveObjects; }
long liveObjectCount() { return liveObjects; }

}  // namespace morvane
