// Self-registration of the context-menu server: fixed sequences of registry
// operations that behave the same against any registry store.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/registry_store.h"

namespace morvane {

// Full path of the loaded server module; none when it is not loaded under its
// installed file name or has no path.
using ModulePathLookup = std::function<std::optional<std::string>()>;

// Writes the class under HKEY_CLASSES_ROOT, the product key under
// HKEY_LOCAL_MACHINE and the four context-menu hooks, in that order. Stops at
// the first failed step (the product key's failure is ignored) and returns
// false; keys written by earlier steps stay.
bool registerServer(platform::RegistryStore& registry, const ModulePathLookup& modulePath);

// Deletes the product key (its version subkey first), the class keys and the
// four hooks, in that order. Returns false at the first key that cannot be
// deleted, leaving the later ones in place.
bool unregisterServer(platform::RegistryStore& registry);

}  // namespace morvane
