// Entry of the page conversion engine: one call converts one HTML page.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/context.h"
#include "engine/destination.h"
#include "engine/script_collection.h"

namespace engine {

// Converts the file sourcePath into destPath and writes its script file beside
// it. Returns 1 for success and 0 for failure; afterwards context.appendix
// tells whether the run added conversion comments.
int convertFile(ConversionContext& context, const char* sourcePath, const char* destPath);

// Converts the page whose bytes are raw (as a file holds them, CR LF line
// ends) into destPath, as convertFile converts a file; sourceName names the
// page in failures ("standard input").
int convertSource(ConversionContext& context, std::string_view raw, const char* sourceName, const char* destPath);

// The files of a prepared page written ahead (see stagePreparedPage).
struct StagedFiles;

// A page read and converted in memory and not yet written.
struct PreparedPage {
  bool converted = false;  // false: failure says why, and nothing is written
  std::string failure;
  Destination destination;  // where it goes (set once its path was accepted)
  std::uint64_t sourceSize = 0;
  std::uint64_t inputLength = 0;
  std::string output;  // the converted page, without its appendix
  std::optional<std::string> appendix;
  std::vector<ScriptEntry> scripts;
  // Its page and script file written ahead, when they are; they are used
  // only where the writer is told that both targets are absent.
  std::shared_ptr<StagedFiles> staged;
};

// Reads and converts sourcePath for destPath as convertFile does, writing
// nothing; so pages can be converted side by side and written in order. With
// property files turned on the conversion writes them at once: callers that
// must write nothing ahead keep useOdsFiles off.
PreparedPage preparePage(ConversionContext& context, const char* sourcePath, const char* destPath);

// Writes a prepared page and its script file exactly as convertFile would
// have, with its result; context then holds what convertFile leaves there.
// Files staged ahead are named (their targets being among
// context.pathsSeenAbsent) instead of written now; whatever of them cannot
// be is written now.
int writePreparedPage(ConversionContext& context, const PreparedPage& page);

// Writes a converted page's page and script file ahead, the bytes
// writePreparedPage would write, into new files not yet named, made in the
// folder of nearPath (see platform::ReplacementFile::makeNear): for targets
// expected to be absent when the page's turn comes. False, with nothing
// staged or left behind, when that cannot be done (the page is then written
// at its turn).
bool stagePreparedPage(ConversionContext& context, PreparedPage& page, const std::string& nearPath);

// Converts a NUL-terminated page text in memory for the destination destPath,
// writing nothing: output receives the converted page (without its
// appendix), scripts the script text. Returns 1 when the loop ran, 0 when an
// argument is missing or the destination path is empty or does not fit.
int convertText(ConversionContext& context, const char* input, std::string* output,
                ScriptCollection* scripts, const char* destPath);

}  // namespace engine
