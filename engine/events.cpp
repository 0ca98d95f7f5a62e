// BODY event attributes and procedure merging in the script collection.
#include "tag_loop.h"

namespace engine {

const char* collectBodyHandlers(const char* position, ScriptCollection&) { return position; }

const char* handleBodyElement(TagLoop&, const char* position) { return position; }

void ScriptCollection::addToProcedure(std::string_view, const char*, const char*, const char*) {}

}  // namespace engine
