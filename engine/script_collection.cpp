// The script collection: its one entry, and statements merged into
// procedures of its text.
#include "engine/script_collection.h"

#include <algorithm>
#include <cstring>

#include "engine/scan.h"

namespace engine {

namespace {

bool sameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // The usual case, the same spelling, without the case folding.
  return std::memcmp(a.data(), b.data(), a.size()) == 0 || strnicmpAscii(a.data(), b.data(), a.size()) == 0;
}
}  // namespace

bool ScriptCollection::acceptLanguage(std::string_view language) {
  if (!entry_) {
    entry_ = std::make_unique<ScriptEntry>();
    // Room for what most pages collect; it grows with the text, never ahead
    // of it by more than the text itself. (Statements merged into a procedure
    // wait in chunks of their own and join the text in one step.)
    entry_->text.reserve(std::min<std::size_t>(static_cast<std::size_t>(sizeHint_), 64 * 1024) + 1024);
  }
  if (language.size() > kMaxValueLength) language = language.substr(0, kMaxValueLength);
  if (!entry_->language.empty() && !sameNoCase(entry_->language, language)) return false;
  if (entry_->language.empty()) {
    entry_->language.assign(language);
    count_ = 1;
  }
  return true;
}

void ScriptCollection::append(std::string_view language, std::string_view text) {
  if (acceptLanguage(language)) entry_->text.append(text);
}

int isVBScript(const char* value) {
  return value && std::strlen(value) == 8 && strnicmpAscii(value, "vbscript", 8) == 0;
}

int isJavaScript(const char* value) {
  return value && std::strlen(value) == 10 && strnicmpAscii(value, "javascript", 10) == 0;
}

// --- Procedure merging ------------------------------------------------------
//
// The procedure is the first place in the text, searched from its start one
// byte at a time, where "sub" and a blank, further blanks, the name and a blank
// or "(" stand. Pages with thousands of inputs merge into one procedure once
// per input, so the search remembers what it learnt:
// - once a header is found, the text before its insertion point never changes
//   again (insertions go there, appends at the end), and no test of an earlier
//   position reads that far, so the same header and point are found again;
// - while none is found, the text only grows at its end, so a position whose
//   test did not read up to the end of the text keeps its answer.

namespace {

inline bool isSpaceByte(char c) { return isHtmlSpace(static_cast<unsigned char>(c)) != 0; }

enum class HeaderTest { kNoMatch, kMatch, kUndecided };  // undecided: the test read the end of the text

// a and b, n bytes each, equal ignoring ASCII case (NUL bytes included).
bool equalNoCase(const char* a, const char* b, std::size_t n) {
  if (std::memcmp(a, b, n) == 0) return true;  // the usual case: the same spelling
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i] && strnicmpAscii(a + i, b + i, 1) != 0) return false;
  }
  return true;
}

// Tests for a procedure header of name at offset h; on a match *nameEnd is the
// offset behind the name.
HeaderTest testHeader(const std::string& text, std::size_t h, std::string_view name, std::size_t* nameEnd) {
  const std::size_t size = text.size();
  const char* t = text.data();
  static const char kSub[] = "sub";
  for (std::size_t i = 0; i < 3; ++i) {
    if (h + i >= size) return HeaderTest::kUndecided;
    if ((static_cast<unsigned char>(t[h + i]) | 0x20) != kSub[i]) return HeaderTest::kNoMatch;
  }
  std::size_t q = h + 3;
  if (q >= size) return HeaderTest::kUndecided;
  if (!isSpaceByte(t[q])) return HeaderTest::kNoMatch;
  while (q < size && isSpaceByte(t[q])) ++q;
  // A mismatch in the part of the name that the text holds decides first.
  const std::size_t held = std::min(name.size(), size - q);
  if (!equalNoCase(t + q, name.data(), held)) return HeaderTest::kNoMatch;
  if (held < name.size()) return HeaderTest::kUndecided;
  q += held;
  if (q >= size) return HeaderTest::kUndecided;
  if (!isSpaceByte(t[q]) && t[q] != '(') return HeaderTest::kNoMatch;
  *nameEnd = q;
  return HeaderTest::kMatch;
}

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && equalNoCase(a.data(), b.data(), a.size());
}

}  // namespace

void ScriptCollection::flushPendingStatements() {
  if (pendingBlocks_.empty()) return;
  // The latest block goes on top, each followed by a LF. The text behind the
  // insertion point is set aside, the blocks are appended in reverse order and
  // each chunk is released once its first block is in, then the rest comes
  // back: the statements are never held twice.
  std::string& text = entry_->text;
  const std::string rest = text.substr(pendingAt_);
  text.resize(pendingAt_);
  text.reserve(pendingAt_ + pendingSize_ + pendingBlocks_.size() + rest.size());
  for (std::size_t i = pendingBlocks_.size(); i-- > 0;) {
    const PendingBlock& block = pendingBlocks_[i];
    std::string& chunk = pendingChunks_[block.chunk];
    const bool chunkGoesOn = i + 1 < pendingBlocks_.size() && pendingBlocks_[i + 1].chunk == block.chunk;
    const std::size_t end = chunkGoesOn ? pendingBlocks_[i + 1].start : chunk.size();
    text.append(chunk, block.start, end - block.start);
    text += '\n';
    // Its first block: the chunk is done and its memory goes (a move from an
    // empty string would keep it).
    if (block.start == 0) std::string().swap(chunk);
  }
  text += rest;
  pendingChunks_ = std::vector<std::string>();
  pendingBlocks_ = std::vector<PendingBlock>();
  pendingSize_ = 0;
}

std::string& ScriptCollection::pendingChunk() {
  // Room for the largest block that values read from a page make (five
  // statements of two 255-byte values) keeps blocks from outgrowing a chunk.
  constexpr std::size_t kChunkSize = 64 * 1024;
  constexpr std::size_t kBlockRoom = 4 * 1024;
  if (pendingChunks_.empty() || pendingChunks_.back().capacity() - pendingChunks_.back().size() < kBlockRoom) {
    pendingChunks_.emplace_back();
    pendingChunks_.back().reserve(kChunkSize);
  }
  return pendingChunks_.back();
}

std::string* ScriptCollection::openMerge(std::string_view language, std::string_view name) {
  if (!acceptLanguage(language)) return nullptr;
  std::string& text = entry_->text;
  std::size_t nameEnd = 0;
  // The usual call merges into the procedure of the last one, whose header
  // still stands where it was found: the statements join the pending ones.
  if (search_.header && text.size() >= search_.textSize && sameName(search_.name, name) &&
      testHeader(text, *search_.header, name, &nameEnd) == HeaderTest::kMatch) {
    return openPendingBlock(search_.insertAt);
  }
  // Only a merge into the procedure that holds the pending statements may
  // leave them pending: every other path reads the text beyond its header.
  if (!pendingBlocks_.empty() && !(search_.header && sameName(search_.name, name))) flushPendingStatements();

  const std::optional<std::size_t> header = findHeader(name, &nameEnd);
  if (!header) {  // a new procedure at the end; closeMerge ends it
    text += "\nSub ";
    text += name;
    text += "()\n";
    return &text;
  }
  ProcedureSearch& search = search_;
  std::size_t insertAt = search.header == header ? search.insertAt : 0;
  if (insertAt == 0) {
    const std::size_t lineBreak = text.find_first_of("\r\n", nameEnd);
    if (lineBreak == std::string::npos) {  // a header on the last line gets nothing
      search.textSize = text.size();
      return nullptr;
    }
    insertAt = lineBreak + 1;
  }
  search.header = header;
  search.insertAt = insertAt;
  return openPendingBlock(insertAt);
}

std::optional<std::size_t> ScriptCollection::findHeader(std::string_view name, std::size_t* nameEnd) {
  const std::string& text = entry_->text;
  // Start from what the last call learnt, when it is about this procedure and
  // the text has only grown since.
  ProcedureSearch& search = search_;
  if (!sameName(search.name, name) || text.size() < search.textSize) {
    search = ProcedureSearch();
    search.name = name;
  }
  if (search.header && testHeader(text, *search.header, name, nameEnd) == HeaderTest::kMatch) return search.header;
  flushPendingStatements();
  std::optional<std::size_t> header;
  std::optional<std::size_t> firstUndecided;
  for (std::size_t h = search.header ? 0 : search.scanFrom; h < text.size(); ++h) {
    const HeaderTest result = testHeader(text, h, name, nameEnd);
    if (result == HeaderTest::kMatch) {
      header = h;
      break;
    }
    if (result == HeaderTest::kUndecided && !firstUndecided) firstUndecided = h;
  }
  search.header.reset();
  search.scanFrom = header ? *header : firstUndecided.value_or(text.size());
  return header;
}

std::string* ScriptCollection::openPendingBlock(std::size_t insertAt) {
  if (!pendingBlocks_.empty() && pendingAt_ != insertAt) flushPendingStatements();
  pendingAt_ = insertAt;
  std::string& chunk = pendingChunk();
  pendingBlocks_.push_back(PendingBlock{pendingChunks_.size() - 1, chunk.size()});
  mergeStart_ = chunk.size();
  search_.textSize = entry_->text.size();
  return &chunk;
}

void ScriptCollection::closeMerge(std::string* to) {
  if (to != &entry_->text) {  // a pending block: only counted
    pendingSize_ += to->size() - mergeStart_;
    return;
  }
  to->append("End Sub\n");
  search_.textSize = to->size();
}

}  // namespace engine
