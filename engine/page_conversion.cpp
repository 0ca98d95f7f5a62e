// A page from its source to its files: reads the page (from a file or from
// memory), runs the tag loop over it and writes the converted page and its
// script file, each into a temporary file that replaces the target only when
// complete.
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "engine/destination.h"
#include "engine/driver.h"
#include "engine/scan.h"
#include "engine/tag_loop.h"
#include "engine/text_file.h"

namespace engine {

namespace {

// The converted page, written while the tag loop hands it on: into a
// temporary file beside the destination, which replaces the destination only
// when the whole page is there. The output is handed on once it holds more
// than kPageFileWindow bytes: a page whose inputs make its output ten times
// as large never has all of it in memory.
class PageFile : public OutputSink {
 public:
  PageFile(platform::FileIo& io, const std::string& path, platform::ReplacementFile::Target known)
      : OutputSink(kPageFileWindow), file_(io, path, known), writer_(file_) {}

  void write(std::string_view text) override { writer_.write(text); }

  // Writes what is left and, when every byte reached the file, moves it over
  // the destination.
  platform::IoStatus finish(std::string_view rest, const std::optional<std::string>& appendix) {
    stage(rest, appendix);
    return commit();
  }
  // finish in two steps: writes what is left (the file is made near
  // nearPath when one is given), then commits.
  const platform::IoStatus& stage(std::string_view rest, const std::optional<std::string>& appendix,
                                  const std::string& nearPath = {}) {
    if (!nearPath.empty()) {
      file_.makeNear(nearPath);
      file_.write({});  // made now, even for an empty page
    }
    write(rest);
    if (appendix) write(*appendix);
    return writer_.flush();
  }
  platform::IoStatus commit() { return file_.commit(); }

 private:
  platform::ReplacementFile file_;
  TextModeWriter writer_;
};

// What the caller told of path (see ConversionContext::pathsSeenAbsent).
platform::ReplacementFile::Target knownTarget(const ConversionContext& context, const std::string& path) {
  for (const std::string& absent : context.pathsSeenAbsent)
    if (absent == path) return platform::ReplacementFile::Target::SeenAbsent;
  return platform::ReplacementFile::Target::Unknown;
}

// Records the first failure of a conversion; returns 0, the failed result.
int failWith(ConversionContext& context, const platform::IoStatus& status) {
  if (context.failure.empty()) context.failure = status.describe();
  return 0;
}

int failWith(ConversionContext& context, const char* action, const std::string& path, const char* reason) {
  return failWith(context, platform::IoStatus::failure(reason).about(action, path));
}

// Forgets what the last conversion left in context.
void beginConversion(ConversionContext& context) {
  context.sourceSize = 0;
  context.inputLength = 0;
  context.failure.clear();
  context.appendix.reset();
  context.lastObjectClose.reset();
}

// The destination of destPath. One that does not fit a path buffer would name
// side files that cannot be built: it fails before anything is read or
// written.
std::optional<Destination> acceptDestination(ConversionContext& context, const char* destPath) {
  std::optional<Destination> destination = Destination::of(destPath);
  if (!destination) {
    failWith(context, "cannot write", destPath,
             ("path longer than " + std::to_string(kPathCapacity - 1) + " characters").c_str());
  }
  return destination;
}

// The engine works on NUL-terminated text: a NUL byte in the page would cut
// it short, so such a page is not converted at all.
int acceptText(ConversionContext& context, const std::string& input, const std::string& sourceName) {
  if (std::memchr(input.data(), '\0', input.size())) return failWith(context, "cannot convert", sourceName, "holds a NUL byte");
  context.inputLength = input.size();
  return 1;
}

// Runs the tag loop over input; the output not handed to sink is left in
// output, the script text in scripts.
int convertInput(ConversionContext& context, const std::string& input, const std::string& sourceName,
                 const Destination& destination, std::string& output, ScriptCollection& scripts, OutputSink* sink) {
  const char* text = input.c_str();
  if (runTagLoop(context, text, text + input.size(), destination, output, scripts, sink) != 1) {
    return failWith(context, "cannot convert", sourceName, "the conversion did not run");
  }
  return 1;
}

// Writes the script text to its file beside the destination; a later entry
// replaces what an earlier one wrote.
int writeScriptFile(ConversionContext& context, const Destination& destination, const ScriptEntry& entry,
                    bool first) {
  const std::string path = destination.scriptFilePath();
  platform::ReplacementFile file(*context.fileIo, path,
                                 first ? knownTarget(context, path) : platform::ReplacementFile::Target::Unknown);
  writeText(file, entry.text);
  const platform::IoStatus written = file.commit();
  return written ? 1 : failWith(context, written);
}

// The script entries of a conversion, in the order their files are written.
std::vector<const ScriptEntry*> scriptEntries(ScriptCollection& scripts) {
  std::vector<const ScriptEntry*> entries;
  for (int i = 0; i < scripts.count(); ++i) {
    if (const ScriptEntry* entry = scripts.entry(i)) entries.push_back(entry);
  }
  return entries;
}

std::vector<const ScriptEntry*> scriptEntries(const std::vector<ScriptEntry>& scripts) {
  std::vector<const ScriptEntry*> entries;
  for (const ScriptEntry& entry : scripts) entries.push_back(&entry);
  return entries;
}

// Finishes the page file: what the loop left in output, then the appendix.
int finishPage(ConversionContext& context, PageFile& page, std::string_view output) {
  const platform::IoStatus written = page.finish(output, context.appendix);
  return written ? 1 : failWith(context, written);
}

// Writes the script files; a destination that could not be written does not
// keep them from being written.
int writeScriptFiles(ConversionContext& context, const Destination& destination,
                     const std::vector<const ScriptEntry*>& scripts) {
  int result = 1;
  bool first = true;
  for (const ScriptEntry* entry : scripts) {
    if (!writeScriptFile(context, destination, *entry, first)) result = 0;
    first = false;
  }
  return result;
}

// Converts input, the text of sourceName, into destination. The page and
// the converted page's last part are let go as soon as the page file is
// complete, before the script text is completed and written: a page whose
// script text is as large as itself is never held three times over.
int convertAndWrite(ConversionContext& context, std::string input, const std::string& sourceName,
                    const Destination& destination) {
  if (!acceptText(context, input, sourceName)) return 0;
  ScriptCollection scripts(context.sourceSize);
  std::string output;
  PageFile page(*context.fileIo, destination.path, knownTarget(context, destination.path));
  if (!convertInput(context, input, sourceName, destination, output, scripts, &page)) return 0;
  std::string().swap(input);  // assigning an empty string would keep the memory
  const int pageResult = finishPage(context, page, output);
  std::string().swap(output);
  const int scriptResult = writeScriptFiles(context, destination, scriptEntries(scripts));
  return pageResult && scriptResult ? 1 : 0;
}

int convertPage(ConversionContext& context, const char* sourcePath, const char* destPath) {
  const std::optional<Destination> destination = acceptDestination(context, destPath);
  if (!destination) return 0;
  // The whole page is read before anything is written, so a destination that
  // is the source itself (or a link to it) is converted in place safely.
  std::string input;
  const platform::IoStatus read = readTextFile(*context.fileIo, sourcePath, kMaxPageBytes, input, context.sourceSize);
  if (!read) return failWith(context, read);
  return convertAndWrite(context, std::move(input), sourcePath, *destination);
}

int convertBytes(ConversionContext& context, std::string_view raw, const char* sourceName, const char* destPath) {
  const std::optional<Destination> destination = acceptDestination(context, destPath);
  if (!destination) return 0;
  context.sourceSize = raw.size();
  if (raw.size() > kMaxPageBytes) {
    return failWith(context, "cannot read", sourceName,
                    ("is larger than " + std::to_string(kMaxPageBytes >> 20) + " MiB, the most a page may hold").c_str());
  }
  return convertAndWrite(context, fromTextMode(raw), sourceName, *destination);
}

int prepare(ConversionContext& context, const char* sourcePath, const char* destPath, PreparedPage& page) {
  std::optional<Destination> destination = acceptDestination(context, destPath);
  if (!destination) return 0;
  page.destination = *destination;
  std::string input;
  const platform::IoStatus read = readTextFile(*context.fileIo, sourcePath, kMaxPageBytes, input, context.sourceSize);
  if (!read) return failWith(context, read);
  if (!acceptText(context, input, sourcePath)) return 0;
  ScriptCollection scripts(context.sourceSize);
  if (!convertInput(context, input, sourcePath, page.destination, page.output, scripts, nullptr)) return 0;
  // The collection ends here: its text moves into the prepared page.
  for (int i = 0; i < scripts.count(); ++i) {
    if (ScriptEntry* entry = scripts.entry(i)) page.scripts.push_back(std::move(*entry));
  }
  return 1;
}

// Runs a conversion step, turning a lack of memory into a failure that leaves
// every file as it was. What the caller told of its paths holds for this
// step only.
template <typename Step>
int guarded(ConversionContext& context, const char* sourceName, Step&& step) {
  struct Forget {
    ConversionContext& context;
    ~Forget() { context.pathsSeenAbsent.clear(); }
  } forget{context};
  try {
    return step();
  } catch (const std::bad_alloc&) {
    context.appendix.reset();
    return failWith(context, "cannot convert", sourceName, "not enough memory");
  }
}

}  // namespace

int convertText(ConversionContext& context, const char* input, std::string* output, ScriptCollection* scripts,
                const char* destPath) {
  context.appendix.reset();
  context.lastObjectClose.reset();
  context.stampTime.reset();
  if (!input || !output || !scripts) return 0;
  const std::optional<Destination> destination = Destination::of(destPath);
  if (!destination) return 0;
  return runTagLoop(context, input, input + std::strlen(input), *destination, *output, *scripts);
}

int convertFile(ConversionContext& context, const char* sourcePath, const char* destPath) {
  beginConversion(context);
  if (!sourcePath || !destPath) return 0;
  return guarded(context, sourcePath, [&] { return convertPage(context, sourcePath, destPath); });
}

int convertSource(ConversionContext& context, std::string_view raw, const char* sourceName, const char* destPath) {
  beginConversion(context);
  if (!sourceName || !destPath) return 0;
  return guarded(context, sourceName, [&] { return convertBytes(context, raw, sourceName, destPath); });
}

PreparedPage preparePage(ConversionContext& context, const char* sourcePath, const char* destPath) {
  beginConversion(context);
  PreparedPage page;
  if (!sourcePath || !destPath) return page;
  page.converted = guarded(context, sourcePath, [&] { return prepare(context, sourcePath, destPath, page); }) == 1;
  if (!page.converted) {
    page.output.clear();
    page.scripts.clear();
  }
  page.failure = context.failure;
  page.sourceSize = context.sourceSize;
  page.inputLength = context.inputLength;
  page.appendix = context.appendix;
  return page;
}

// The files of a prepared page written ahead: the page, and its script file
// when it has one.
struct StagedFiles {
  StagedFiles(platform::FileIo& io, const Destination& destination)
      : page(io, destination.path, platform::ReplacementFile::Target::SeenAbsent),
        script(io, destination.scriptFilePath(), platform::ReplacementFile::Target::SeenAbsent) {}
  PageFile page;
  platform::ReplacementFile script;
  bool hasScript = false;
  bool used = false;  // committed or dropped: a second write of the page writes it anew
};

bool stagePreparedPage(ConversionContext& context, PreparedPage& page, const std::string& nearPath) {
  page.staged.reset();
  // (A page has one script file; a collection holds one entry at most.)
  if (!page.converted || page.scripts.size() > 1 || nearPath.empty()) return false;
  try {
    auto staged = std::make_shared<StagedFiles>(*context.fileIo, page.destination);
    if (!staged->page.stage(page.output, page.appendix, nearPath)) return false;
    if (!page.scripts.empty()) {
      staged->hasScript = true;
      staged->script.makeNear(nearPath);
      if (!writeText(staged->script, page.scripts.front().text)) return false;
    }
    page.staged = std::move(staged);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

namespace {

// Writes the prepared page, then its script file, now.
int writeNow(ConversionContext& context, const PreparedPage& page) {
  PageFile file(*context.fileIo, page.destination.path, knownTarget(context, page.destination.path));
  const int pageResult = finishPage(context, file, page.output);
  const int scriptResult = writeScriptFiles(context, page.destination, scriptEntries(page.scripts));
  return pageResult && scriptResult ? 1 : 0;
}

// Names the files staged for page, when its targets are seen absent: 1 when
// both are named; else what is not named is written now, as it would have
// been without them.
int commitStaged(ConversionContext& context, const PreparedPage& page) {
  StagedFiles& staged = *page.staged;
  const bool unused = !staged.used;
  staged.used = true;
  const auto seenAbsent = [&](const std::string& path) {
    return knownTarget(context, path) == platform::ReplacementFile::Target::SeenAbsent;
  };
  if (!unused || !seenAbsent(page.destination.path) ||
      (staged.hasScript && !seenAbsent(page.destination.scriptFilePath())) || !staged.page.commit()) {
    staged.script.abandon();
    return writeNow(context, page);
  }
  if (!staged.hasScript || staged.script.commit()) return 1;
  return writeScriptFiles(context, page.destination, scriptEntries(page.scripts));
}

}  // namespace

int writePreparedPage(ConversionContext& context, const PreparedPage& page) {
  beginConversion(context);
  context.failure = page.failure;
  context.sourceSize = page.sourceSize;
  context.inputLength = page.inputLength;
  if (!page.converted) return 0;
  context.appendix = page.appendix;
  return guarded(context, page.destination.path.c_str(),
                 [&] { return page.staged ? commitStaged(context, page) : writeNow(context, page); });
}

}  // namespace engine
