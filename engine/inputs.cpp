// INPUT elements outside forms: guarded control EMBEDs and load-time script.
#include "tag_loop.h"

namespace engine {

const char* handleInputElement(TagLoop&, const char* position) { return position; }

}  // namespace engine
