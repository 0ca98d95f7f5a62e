// Conversion comments, collected while a page is converted.
#include "engine/appendix.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "engine/timestamp.h"

namespace engine {

const char kUnnamedObject[] = "unnamed object";

namespace {

// The time of a comment made now, formatted once per second of the clock.
std::string_view stampNow(ConversionContext& context) {
  const std::time_t now = context.clock ? context.clock() : std::time(nullptr);
  if (context.stampTime != now) {
    formatTimestamp(context.stampText, now, context.utcTimes);
    context.stampTime = now;
  }
  return context.stampText;
}

// The context's appendix, created on first use.
std::string& appendixOf(ConversionContext& context) {
  if (!context.appendix) {
    // At most two comments of about 100 bytes per object; the string grows
    // when descriptions are longer.
    context.appendix.emplace();
    const std::size_t budget = static_cast<std::size_t>(std::max(context.objectCount, 0)) * 200;
    context.appendix->reserve(std::max<std::size_t>(budget, 1024));
  }
  return *context.appendix;
}

}  // namespace

void appendConversionComment(ConversionContext& context, std::string_view text, std::string_view description) {
  if (text.empty()) return;
  const std::string_view stamp = stampNow(context);
  std::string& appendix = appendixOf(context);
  // The comment is put together in a local buffer and appended in one step.
  constexpr std::string_view kOpen = "\n<!-- ** ";
  constexpr std::string_view kAdded = " ** Tarnwick conversion added \"";
  constexpr std::string_view kFor = "\" for ";
  constexpr std::string_view kClose = " -->";
  const std::string_view named = description.empty() ? std::string_view(kUnnamedObject) : description;
  const std::string_view pieces[] = {kOpen, stamp, kAdded, text, kFor, named, kClose};
  std::size_t length = 0;
  for (std::string_view piece : pieces) length += piece.size();
  char buffer[512];
  if (length > sizeof buffer) {
    for (std::string_view piece : pieces) appendix.append(piece.data(), piece.size());
    return;
  }
  char* end = buffer;
  for (std::string_view piece : pieces) {
    std::memcpy(end, piece.data(), piece.size());
    end += piece.size();
  }
  appendix.append(buffer, length);
}

}  // namespace engine
