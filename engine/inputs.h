// INPUT elements outside forms: a guarded control EMBED after the tag, property
// statements merged into Window_OnLoad, and Subs for the event attributes.
#pragma once

#include <string>

#include "engine/context.h"

namespace engine {

// The values read from one INPUT tag (each at most 255 bytes, empty when the
// attribute is absent or has no value), in the order they are tried.
struct InputAttributes {
  std::string language;
  std::string onClick;
  std::string onFocus;
  std::string onBlur;
  std::string onSelect;
  std::string onChange;
  std::string type;
  std::string defaultChecked;
  std::string checked;
  std::string name;
  std::string value;
  std::string defaultValue;
};

// Reads the attributes of the INPUT start tag whose attributes begin at p (behind
// the word "input") up to its ">"; returns the position behind the ">".
const char* readInputAttributes(const char* p, InputAttributes& attributes);

// Writes the control guard for the input's TYPE at the end of out and adds its
// script to scripts. Answers 1 when a guard was written.
int convertInput(std::string& out, ScriptCollection& scripts, const InputAttributes& attributes);

}  // namespace engine
