// The engine's state between a front end and a conversion, and the script text
// gathered during one conversion.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/timestamp.h"
#include "platform/file_io.h"

namespace engine {

// One per front end (per dialog, per context-menu object), reused conversion
// after conversion. Callers set useOdsFiles before a call and read appendix
// after it.
struct ConversionContext {
  // Destination file path; every side-file name is derived from it. Holds at
  // most kPathCapacity - 1 bytes: a longer destination fails the conversion.
  std::string destPath;
  // Bytes actually read from the source (after CR LF -> LF).
  std::uint64_t inputLength = 0;
  // Size of the source file in bytes.
  std::uint64_t sourceSize = 0;
  // 1 when objects get .ODS property files; any other value means not.
  std::uint32_t useOdsFiles = 0;
  // Conversion comments of the last run, written after the converted page.
  // Empty (no value) when the run made no change that it reports. Lives until
  // the next conversion starts or the context is destroyed.
  std::optional<std::string> appendix;
  // Offset in the output of the "</OBJECT>" that closes the most recently
  // converted object; meaningful only during the tag loop.
  std::optional<std::size_t> lastObjectClose;
  // Object start tags found by the pre-pass (output sizing).
  std::int32_t objectCount = 0;
  // Time source of conversion comments, shown as local time, or as UTC when
  // utcTimes is true (reproducible output).
  Clock clock = systemClock();
  bool utcTimes = false;
  // The files a conversion reads and writes go through this port.
  platform::FileIo* fileIo = &platform::systemFileIo();
  // Why the last conversion failed, naming the file ("cannot read 'x.htm':
  // Permission denied"); empty after a success. The result 1/0 stays the
  // answer callers act on; this is for people to read.
  std::string failure;
  // The time of the last conversion comment and its text: formatting a time
  // is costly and a conversion usually stamps every comment with the same
  // second. Forgotten when a conversion starts.
  std::optional<std::time_t> stampTime;
  char stampText[26] = {};
};

// One script language and its text, written to the page's script file.
struct ScriptEntry {
  std::string language;  // as the first contributor wrote it, at most 255 bytes
  std::string text;
};

// The script text of one conversion. Holds at most one entry: the first
// language added fixes it, and text of other languages is dropped.
class ScriptCollection {
 public:
  explicit ScriptCollection(std::uint64_t sizeHint) : sizeHint_(sizeHint) {}

  // The one entry whenever count() is at least i, else null.
  ScriptEntry* entry(int i) {
    flushPendingStatements();
    return count_ >= i ? entry_.get() : nullptr;
  }
  const ScriptEntry* entry(int i) const {
    flushPendingStatements();
    return count_ >= i ? entry_.get() : nullptr;
  }
  int count() const { return count_; }
  std::uint64_t sizeHint() const { return sizeHint_; }

  // Appends text under language. The entry is created on first use; a
  // language that differs from the entry's (in length or letters, ignoring
  // case) drops the text.
  void append(std::string_view language, std::string_view text);

  // Puts statements at the top of the procedure objectName_eventName (found by
  // name, ignoring case), or appends a new procedure holding them. Does nothing
  // when an argument is missing or the language differs from the entry's.
  void addToProcedure(std::string_view language, const char* objectName, const char* eventName,
                      const char* statements);

  // addToProcedure for the procedure named procedureName (objectName_eventName)
  // whose statements write(std::string& to) appends to the text it is given,
  // in place, without a temporary. write is not called when the statements
  // would be dropped; it may only append to its argument.
  template <typename Write>
  void addToProcedureWith(std::string_view language, std::string_view procedureName, Write&& write) {
    if (std::string* to = openMerge(language, procedureName)) {
      write(*to);
      closeMerge(to);
    }
  }

  // The text to append to under language (as append does), or null when the
  // language differs from the entry's. Only appends are allowed.
  std::string* appendTarget(std::string_view language) {
    return acceptLanguage(language) ? &entry_->text : nullptr;
  }

 private:
  // Creates the entry on first use. Returns false when language differs from
  // the entry's; otherwise stores language on an entry that has none.
  bool acceptLanguage(std::string_view language);

  // The two halves of a merge around the statements: openMerge returns the
  // text the statements are appended to (the script text, behind the header
  // of a new procedure, or the pending statements), or null when they are
  // dropped; closeMerge completes the merge once they stand there.
  std::string* openMerge(std::string_view language, std::string_view procedureName);
  void closeMerge(std::string* to);

  std::unique_ptr<ScriptEntry> entry_;
  int count_ = 0;
  std::uint64_t sizeHint_;

  // What addToProcedure learnt about the text on its last call, so that merging
  // into the same procedure again does not rescan the text (events.cpp). Valid
  // while the text changes only through append and addToProcedure.
  struct ProcedureSearch {
    std::string name;                  // the procedure searched for
    std::size_t scanFrom = 0;          // no header of name starts before this offset
    std::optional<std::size_t> header; // offset of the first header of name
    std::size_t insertAt = 0;          // where statements go in that procedure
    std::size_t textSize = 0;          // size of the text when this was recorded
  };
  ProcedureSearch search_;

  // Statements merged into one procedure and not yet placed in the text, in
  // the order they came; they all go to the offset pendingAt_, the latest on
  // top. Merging thousands of blocks into one procedure so costs one shift of
  // the text instead of one per block. Placed before the text is read.
  // The statements are kept end to end in chunks of text, with the chunk and
  // offset where each begins, so that thousands of small blocks cost no
  // allocation each and a growing pile is never copied before it is placed.
  struct PendingBlock {
    std::size_t chunk;  // index in pendingChunks_
    std::size_t start;  // offset in that chunk; the block runs to the next one's or the chunk's end
  };
  void flushPendingStatements() const;
  // The chunk that the next block is appended to.
  std::string& pendingChunk();
  // Opens a pending block of statements that go to insertAt; returns its chunk.
  std::string* openPendingBlock(std::size_t insertAt);
  mutable std::vector<std::string> pendingChunks_;
  mutable std::vector<PendingBlock> pendingBlocks_;
  mutable std::size_t pendingSize_ = 0;  // bytes in all chunks
  mutable std::size_t pendingAt_ = 0;
  std::size_t mergeStart_ = 0;  // size of the chunk before the block that openMerge opened
};

// 1 when the whole value equals "vbscript" / "javascript", ignoring case.
int isVBScript(const char* value);
int isJavaScript(const char* value);

}  // namespace engine
