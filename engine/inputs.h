// INPUT elements outside forms: a guarded control EMBED after the tag, property
// statements merged into Window_OnLoad, and Subs for the event attributes.
#pragma once

#include <cstddef>
#include <string_view>

#include "engine/context.h"
#include "engine/script_collection.h"

namespace engine {

// The attributes of an INPUT tag, in the order they are tried.
enum InputField {
  kLanguage,
  kOnClick,
  kOnFocus,
  kOnBlur,
  kOnSelect,
  kOnChange,
  kType,
  kDefaultChecked,
  kChecked,
  kName,
  kValue,
  kDefaultValue,
  kFieldCount
};

// The values of one INPUT tag as views into the page they were read from
// (each at most 255 bytes). Only which values are set is cleared from tag to
// tag.
class InputValues {
 public:
  void clear() { set_ = 0; }
  void set(InputField field, std::string_view value) {
    data_[field] = value.data();
    size_[field] = value.size();
    set_ |= 1u << field;
  }
  // Empty when the attribute is absent or has no value.
  std::string_view operator[](InputField field) const {
    return set_ & (1u << field) ? std::string_view(data_[field], size_[field]) : std::string_view();
  }

 private:
  unsigned set_ = 0;                // bit per InputField
  const char* data_[kFieldCount];   // meaningful where set_ says so
  std::size_t size_[kFieldCount];
};

// Reads the attributes of the INPUT start tag whose attributes begin at p
// (behind the word "input") up to its ">"; returns the position behind the
// ">", or the end of the text when there is none.
const char* readInputValues(const char* p, InputValues& values);

}  // namespace engine
