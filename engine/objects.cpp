// OBJECT elements: each gains an EMBED twin before its end tag.
#include "tag_loop.h"

namespace engine {

const char* handleObjectElement(TagLoop&, const char* position) { return position; }

}  // namespace engine
