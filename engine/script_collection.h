// The script text gathered during one conversion and written to the page's
// script file: appended blocks, and statements merged into procedures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

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

  // The one entry whenever count() is at least i, else null. Statements
  // still pending are placed in the text first, so reading the entry
  // completes it.
  ScriptEntry* entry(int i) {
    flushPendingStatements();
    return count_ >= i ? entry_.get() : nullptr;
  }
  int count() const { return count_; }
  // The entry's language as its first contributor wrote it ("" before any):
  // unlike entry(), it leaves pending statements pending.
  std::string_view language() const { return entry_ ? std::string_view(entry_->language) : std::string_view(); }
  std::uint64_t sizeHint() const { return sizeHint_; }

  // Appends text under language. The entry is created on first use; a
  // language that differs from the entry's (in length or letters, ignoring
  // case) drops the text.
  void append(std::string_view language, std::string_view text);

  // Puts statements at the top of the procedure procedureName
  // (objectName_eventName, found by name ignoring case), or appends a new
  // procedure holding them. write(std::string& to) appends the statements to
  // the text it is given, in place, without a temporary; it is not called
  // when the statements are dropped (the language differs from the entry's,
  // or the procedure's header stands on the text's last line), and it may
  // only append to its argument.
  template <typename Write>
  void addToProcedure(std::string_view language, std::string_view procedureName, Write&& write) {
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
  // The offset of the first header of procedure name in the text, with
  // *nameEnd behind its name; none when the text has no such header.
  std::optional<std::size_t> findHeader(std::string_view name, std::size_t* nameEnd);

  std::unique_ptr<ScriptEntry> entry_;
  int count_ = 0;
  std::uint64_t sizeHint_;

  // What addToProcedure learnt about the text on its last call, so that merging
  // into the same procedure again does not rescan the text. Valid while the
  // text changes only through append and addToProcedure.
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
  void flushPendingStatements();
  // The chunk that the next block is appended to.
  std::string& pendingChunk();
  // Opens a pending block of statements that go to insertAt; returns its chunk.
  std::string* openPendingBlock(std::size_t insertAt);
  std::vector<std::string> pendingChunks_;
  std::vector<PendingBlock> pendingBlocks_;
  std::size_t pendingSize_ = 0;  // bytes in all chunks
  std::size_t pendingAt_ = 0;
  std::size_t mergeStart_ = 0;  // size of the chunk before the block that openMerge opened
};

// 1 when the whole value equals "vbscript" / "javascript", ignoring case.
int isVBScript(const char* value);
int isJavaScript(const char* value);

}  // namespace engine
