#include "engine/destination.h"

#include <cstring>

#include "engine/scan.h"

namespace engine {

std::optional<Destination> Destination::of(const char* path) {
  if (!path || std::strlen(path) >= kPathCapacity) return std::nullopt;
  Destination destination;
  destination.path = path;
  splitPath(path, &destination.baseName, &destination.directory);
  return destination;
}

}  // namespace engine
