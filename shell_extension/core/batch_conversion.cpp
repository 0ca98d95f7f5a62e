#include "shell_extension/core/batch_conversion.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "common/ascii.h"
#include "common/format.h"
#include "common/path_limits.h"
#include "shell_extension/core/batch_paths.h"
#include "shell_extension/core/page_prefetcher.h"
#include "shell_extension/core/morvane_strings.h"

namespace morvane {

namespace {

enum class Mode { Copy, Convert };

// One batch: the operations below share the state, the ports and the walk's
// bookkeeping (the folders being walked, to stop at folder links that lead
// back into them).
class Batch {
 public:
  Batch(BatchState& state, BatchPorts& ports)
      : state_(state), ports_(ports), files_(ports.files), sep_(ports.files.separator()) {}

  bool run();

 private:
  // One thing the walk found to do, kept when the whole walk is planned
  // before anything is done (pages are then prepared ahead, side by side).
  struct Step {
    enum Kind { File, Failure } kind;
    std::string root, folder, name, source;
    Mode mode = Mode::Copy;
    bool listedRegular = false;
    std::string reason;
    std::optional<std::size_t> prepared;  // the item's number with the prefetcher
  };
  bool doFile(const std::string& root, const std::string& folder, const std::string& name, const std::string& source,
              Mode mode, bool listedRegular);
  bool doFailure(const std::string& source, const std::string& reason);
  void runPlan();

  bool noItemInsideDestination();
  bool insideDestination(const std::string& path);
  bool convertItem(const std::string& path);
  bool walkPath(const std::string& path, const std::string& root);
  bool walkFolder(const std::string& path, const std::string& root);
  bool isPageFile(const std::string& name);
  bool processFile(const std::string& root, const std::string& folder, const std::string& name,
                   const std::string& source, Mode mode, bool listedRegular);
  platform::IoStatus convertPage(const std::string& outputFolder, const std::string& name, const std::string& source,
                                 const std::string& target, const std::optional<std::string>& scriptTarget);
  platform::IoStatus backUp(const std::string& from, const std::string& backupFolder, const std::string& name);
  std::optional<std::string> makeUniqueName(const std::string& path);
  bool ensureFolder(const std::string& path, bool* made = nullptr);
  bool stopHelpers();
  std::string outputFolderOf(const std::string& root, const std::string& folder) const;
  platform::IoStatus copyNow(const PreparedCopy& ahead, const std::string& source, const std::string& target,
                             bool& taken);
  std::string targetOf(const std::string& root, const std::string& folder, const std::string& name) const;
  bool createFolderPath(const std::string& path, bool* made = nullptr);
  bool isDestination(const std::string& folder);
  void setBusyCursor(bool on);

  // Names and paths compared as the file system compares them.
  bool sameName(const std::string& a, const std::string& b) const {
    return files_.namesIgnoreCase() ? common::equalsNoCase(a, b) : a == b;
  }
  std::size_t prefixLength(const std::string& a, const std::string& b) const {
    return commonPrefixLength(a, b, files_.namesIgnoreCase());
  }
  // The extension of the script file the engine writes beside a page
  // (NAME.AXS), as the batch looks for it and names its backup.
  const char* scriptExtension() const { return files_.namesIgnoreCase() ? "axs" : "AXS"; }

  std::string load(unsigned id, int bufferSize);
  int show(const std::string& text, const std::string& caption, unsigned style);
  bool fail(const std::string& source, const std::string& reason);
  void tellFailure(const std::string& source, const std::string& reason);

  void report(const ItemReport& item) {
    if (ports_.observer) ports_.observer->report(item);
  }

  BatchState& state_;
  BatchPorts& ports_;
  platform::FileSystem& files_;
  const char sep_;
  std::vector<std::string> walking_;  // identities of the folders being walked
  bool failed_ = false;               // some item failed
  bool stopped_ = false;              // a failure ends the batch
  // Planning: the steps of the whole walk, done after it in its order.
  std::unique_ptr<PagePrefetcher> prefetcher_;
  std::vector<Step> plan_;
  std::optional<std::size_t> prepared_;  // the prepared item of the step being done
  std::string outputFolder_;             // the output folder last found or made
  bool outputFolderMade_ = false;        // ... made by this batch when it was last met
};

// Sizes of the buffers texts are loaded into; a longer text is cut.
constexpr int kCaption = MORVANE_CAPTION_BUFFER;
constexpr int kText = MORVANE_TEXT_BUFFER;
constexpr std::size_t kFileClassBytes = 256;
// Free backup names looked for, each taken by another program meanwhile,
// before the backup fails (the page then stays as it was).
constexpr int kBackupAttempts = 100;

// Paths live in buffers of a fixed size. Each path the batch forms (a
// selected item, a folder entry, a target with its script file, a backup
// folder, a backup name) is checked against it once, where it is formed; one
// that does not fit fails its item instead of being cut.
bool fits(const std::string& path) { return path.size() <= common::kMaxPathLength; }

std::string tooLong(const std::string& path) {
  return "cannot convert '" + path + "': path longer than " + std::to_string(common::kMaxPathLength) + " characters";
}

bool Batch::run() {
  if (!state_.destinationFolder.has_value() || state_.destinationFolder->empty()) {
    setBusyCursor(true);
    setBusyCursor(false);
    return false;
  }
  setBusyCursor(true);
  const std::vector<bool> inside = [&] {
    std::vector<bool> flags;
    for (const std::string& path : state_.selection) flags.push_back(insideDestination(path));
    return flags;
  }();
  noItemInsideDestination();
  // With helpers, and pages that preparing cannot change (no property
  // files), the whole walk is planned first and its pages prepared ahead.
  if (ports_.jobs > 1 && ports_.prepare && state_.context.useOdsFiles != 1 && !stopped_)
    prefetcher_ = std::make_unique<PagePrefetcher>(ports_.jobs, state_.context, ports_.prepare, ports_.prepareCopy);
  for (std::size_t i = 0; !stopped_ && i < state_.selection.size(); ++i)
    if (!inside[i]) convertItem(state_.selection[i]);
  if (prefetcher_) runPlan();
  setBusyCursor(false);
  return !failed_;
}

// A file to convert or copy: done now, or planned. listedRegular: its
// folder's listing showed a regular file.
bool Batch::doFile(const std::string& root, const std::string& folder, const std::string& name,
                   const std::string& source, Mode mode, bool listedRegular) {
  if (!prefetcher_) return processFile(root, folder, name, source, mode, listedRegular);
  Step step{Step::File, root, folder, name, source, mode, listedRegular, "", std::nullopt};
  // What is written ahead is made in the destination folder, which exists
  // (or not) from the start: the item's own folder is made at its turn.
  const std::string nearPath = joinPath(*state_.destinationFolder, name, sep_);
  if (mode == Mode::Convert) step.prepared = prefetcher_->add(source, targetOf(root, folder, name), nearPath);
  else if (prefetcher_->preparesCopies())
    step.prepared = prefetcher_->addCopy(source, targetOf(root, folder, name), nearPath);
  plan_.push_back(std::move(step));
  return true;
}

// A failure the walk met: told now, or planned.
bool Batch::doFailure(const std::string& source, const std::string& reason) {
  if (!prefetcher_) return fail(source, reason);
  plan_.push_back(Step{Step::Failure, "", "", "", source, Mode::Copy, false, reason, std::nullopt});
  return true;
}

// Does the planned steps in order, as the walk would have done them.
void Batch::runPlan() {
  for (const Step& step : plan_) {
    if (stopped_) break;
    if (step.kind == Step::Failure) {
      fail(step.source, step.reason);
      continue;
    }
    prepared_ = step.prepared;
    processFile(step.root, step.folder, step.name, step.source, step.mode, step.listedRegular);
    prepared_.reset();
  }
}

// A selected item inside the destination folder would be overwritten by its
// own conversion (or mirror the tree into itself): it fails before anything
// is written.
bool Batch::noItemInsideDestination() {
  for (const std::string& path : state_.selection) {
    if (stopped_) break;
    if (insideDestination(path))
      fail(path, "cannot convert '" + path + "': it lies inside the destination folder '" + *state_.destinationFolder +
                     "'");
  }
  return !stopped_;
}

// Whether path is the destination folder or lies below it, as written or
// with links resolved.
bool Batch::insideDestination(const std::string& path) {
  const auto within = [&](const std::string& item, const std::string& folder) {
    const std::string inner = withoutTrailingSeparators(item, sep_);
    const std::string outer = withoutTrailingSeparators(folder, sep_);
    if (sameName(inner, outer)) return true;
    const std::string prefix = outer.back() == sep_ ? outer : outer + sep_;
    return inner.size() > prefix.size() && prefixLength(inner, prefix) == prefix.size();
  };
  const std::string& destination = *state_.destinationFolder;
  return within(path, destination) || within(files_.canonicalPath(path), files_.canonicalPath(destination));
}

// One selected item: find its root (the item itself when it is a folder,
// otherwise the nearest existing folder above it) and walk it. An item that
// does not exist, has no existing folder above it or does not fit a path
// buffer fails with the file message.
bool Batch::convertItem(const std::string& path) {
  if (!fits(path)) return doFailure(path, tooLong(path));
  std::string root = path;
  if (!files_.isDirectory(root)) {
    const std::string missing = "cannot read '" + path + "': No such file or directory";
    if (!files_.pathExists(path)) return doFailure(path, missing);
    do {
      if (!cutToParentFolder(root, sep_)) return doFailure(path, missing);
    } while (!files_.isDirectory(root));
  }
  return walkPath(path, root);
}

// A folder is walked, whatever its name (pics.htm too); a page is converted,
// any other file copied.
bool Batch::walkPath(const std::string& path, const std::string& root) {
  if (files_.isDirectory(path)) return walkFolder(path, root);
  if (ports_.observer) ports_.observer->found(1);
  const std::string name = path.substr(prefixLength(path, root));
  const std::string source = joinPath(root, name, sep_);
  if (!fits(source)) return doFailure(source, tooLong(source));
  return doFile(root, root, name, source, isPageFile(path) ? Mode::Convert : Mode::Copy, false);
}

// Walks a folder's entries in the order the file system gives them. The backup
// folder, the destination folder and folders already being walked (reached
// again through a link) are passed over. A folder that cannot be listed fails.
bool Batch::walkFolder(const std::string& path, const std::string& root) {
  const std::string identity = files_.directoryIdentity(path);
  if (!identity.empty() && std::find(walking_.begin(), walking_.end(), identity) != walking_.end()) return true;
  // What each entry is, known before any is handled, so that progress can
  // count the files ahead.
  std::vector<std::string> names;
  std::vector<platform::FileKind> kinds;
  const platform::IoStatus listed = files_.listEntries(path, names, kinds);
  if (!listed) return doFailure(path, listed.describe());
  if (!identity.empty()) walking_.push_back(identity);
  const std::size_t files =
      static_cast<std::size_t>(std::count_if(kinds.begin(), kinds.end(), [](platform::FileKind kind) {
        return kind != platform::FileKind::Directory;
      }));
  if (ports_.observer && files) ports_.observer->found(files);
  bool ok = true;
  for (std::size_t i = 0; i < names.size() && ok && !stopped_; ++i) {
    const std::string& name = names[i];
    if (name == "." || name == "..") continue;
    const std::string full = joinPath(path, name, sep_);
    if (!fits(full)) {
      ok = doFailure(full, tooLong(full));
    } else if (kinds[i] == platform::FileKind::Directory) {
      if (!sameName(name, state_.backupFolderName) && !isDestination(full)) ok = walkPath(full, root);
    } else if (isPageFile(name)) {
      ok = doFile(root, path, name, full, Mode::Convert, kinds[i] == platform::FileKind::Regular);
    } else if (!sameName(name, state_.backupFolderName)) {
      ok = doFile(root, path, name, full, Mode::Copy, kinds[i] == platform::FileKind::Regular);
    }
  }
  if (!identity.empty()) walking_.pop_back();
  return ok;
}

// A page is a file whose extension (from the first '.' of its name) has the
// file class "htmlfile" or "NetscapeMarkup" under HKEY_CLASSES_ROOT.
bool Batch::isPageFile(const std::string& name) {
  const std::string component = lastComponent(name, sep_);
  const std::size_t dot = component.find('.');
  if (dot == std::string::npos) return false;
  const std::string extension = component.substr(dot);
  // (Querying the key's value opens it: no key, no value.)
  const auto fileClass = ports_.registry.queryString(platform::Hive::ClassesRoot, extension, "", kFileClassBytes);
  if (!fileClass) return false;
  return common::equalsNoCase(*fileClass, "htmlfile") || common::equalsNoCase(*fileClass, "NetscapeMarkup");
}

// Converts or copies source, the file name in folder below root, to the same
// place below the destination folder.
bool Batch::processFile(const std::string& root, const std::string& folder, const std::string& name,
                        const std::string& source, Mode mode, bool listedRegular) {
  // A copy made ahead is taken whatever becomes of the item: it is used
  // only when the item is copied, and let go otherwise.
  const PreparedCopy ahead = mode == Mode::Copy && prepared_ && prefetcher_ ? prefetcher_->takeCopy(*prepared_) : nullptr;
  const std::string outputFolder = outputFolderOf(root, folder);
  const std::string target = joinPath(outputFolder, name, sep_);
  // The script file the engine writes beside a converted page.
  std::optional<std::string> scriptTarget = target;
  if (!replaceExtension(*scriptTarget, scriptExtension())) scriptTarget.reset();
  const std::string& script = scriptTarget ? *scriptTarget : target;
  if (ports_.observer) ports_.observer->handling(source);
  if (!fits(target) || !fits(script)) return fail(source, tooLong(fits(target) ? script : target));
  // Only a regular file is converted or copied: a FIFO or a device (also
  // behind a link) would hang the batch or fill the disk. One its folder's
  // listing showed as regular is not looked up again: should it have been
  // swapped or removed since, the copy or the conversion refuses it when it
  // opens it, with the same words.
  const platform::FileKind kind = listedRegular ? platform::FileKind::Regular : files_.kindOf(source);
  if (kind != platform::FileKind::Regular) {
    return fail(source, "cannot read '" + source + "': " +
                            (kind == platform::FileKind::Missing ? "No such file or directory" : "is not a regular file"));
  }
  // The folders of a tree's files come in runs: each is looked for once per run.
  if (outputFolder != outputFolder_) {
    if (!ensureFolder(outputFolder, &outputFolderMade_)) {
      // The folder's own message has told why; the item is a failure too.
      if (ports_.observer)
        ports_.observer->report({ItemAction::Failed, source, "", "cannot create folder '" + outputFolder + "'"});
      return !stopped_;
    }
    outputFolder_ = outputFolder;
  }

  platform::IoStatus status;
  if (mode == Mode::Copy) {
    // An existing target is never overwritten by a copy, also not one that
    // appears while the file is copied. A folder the batch has just made holds
    // only what the batch put there: the copy finds out for itself, without a
    // look-up beforehand.
    bool taken = sameName(source, target) || (!outputFolderMade_ && files_.pathExists(target));
    if (!taken && !(status = copyNow(ahead, source, target, taken)) && !taken && stopHelpers())
      status = files_.copyNewFile(source, target, taken);
    if (taken) {
      status = platform::IoStatus();
      report({ItemAction::Kept, source, target, ""});
    } else if (status) {
      report({ItemAction::Copied, source, target, ""});
    }
  } else {
    status = convertPage(outputFolder, name, source, target, scriptTarget);
  }
  return status ? true : fail(source, status.describe());
}

// A copy to a target not expected to exist: the one made ahead is named, or
// (none, or it cannot be moved there) the file is copied now. taken: the
// target was there after all, and stays.
platform::IoStatus Batch::copyNow(const PreparedCopy& ahead, const std::string& source, const std::string& target,
                                  bool& taken) {
  if (ahead) {
    platform::IoStatus committed = ahead->commit();
    taken = ahead->targetTaken();
    if (committed || taken) return committed;
  }
  return files_.copyNewFile(source, target, taken);
}

// The folder below the destination that mirrors folder below root.
std::string Batch::outputFolderOf(const std::string& root, const std::string& folder) const {
  const std::size_t common = prefixLength(folder, root);
  const std::string rel = common == 0 ? std::string() : folder.substr(common);
  return joinPath(*state_.destinationFolder, rel, sep_);
}

// Where the file name in folder below root goes.
std::string Batch::targetOf(const std::string& root, const std::string& folder, const std::string& name) const {
  return joinPath(outputFolderOf(root, folder), name, sep_);
}

// Saves an earlier result (the page and its script file) into the backup
// folder, tells the user once per command, then converts.
platform::IoStatus Batch::convertPage(const std::string& outputFolder, const std::string& name,
                                      const std::string& source, const std::string& target,
                                      const std::optional<std::string>& scriptTarget) {
  // The page converted now, or written as it was prepared ahead.
  const auto converted = [&]() {
    state_.context.failure.clear();
    int result = prepared_ && prefetcher_ ? prefetcher_->take(*prepared_)(state_.context)
                                          : ports_.convert(state_.context, source.c_str(), target.c_str());
    if (result == 0 && stopHelpers()) {
      state_.context.failure.clear();
      result = ports_.convert(state_.context, source.c_str(), target.c_str());
    }
    if (result == 0) return platform::IoStatus::failure(state_.context.failure);
    report({ItemAction::Converted, source, target, ""});
    return platform::IoStatus();
  };
  const bool scriptExists = scriptTarget && files_.pathExists(*scriptTarget);
  const bool targetExists = files_.pathExists(target);
  if (!targetExists && !scriptExists) {
    state_.context.pathsSeenAbsent = {target};
    if (scriptTarget) state_.context.pathsSeenAbsent.push_back(*scriptTarget);
    return converted();
  }

  const std::string backupFolder = joinPath(outputFolder, state_.backupFolderName, sep_);
  platform::IoStatus backedUp = platform::IoStatus::failure("");
  if (fits(backupFolder) && ensureFolder(backupFolder)) {
    if (targetExists) backedUp = backUp(target, backupFolder, name);
    if (scriptExists && (!targetExists || backedUp)) {
      std::string scriptName = name;
      replaceExtension(scriptName, scriptExtension());
      backedUp = backUp(*scriptTarget, backupFolder, scriptName);
    }
  }
  bool noticeShown = false;
  if (state_.noticeAnswer == 0) {
    state_.noticeAnswer = show(common::formatText(load(IDS_BACKUP_NOTICE, kText), backupFolder),
                               load(IDS_BACKUP_CAPTION, kCaption), platform::mb::kIconInformation);
    noticeShown = true;
  }
  if (targetExists && !backedUp) return backedUp;
  if (noticeShown && state_.noticeAnswer != platform::mb::kIdOk) return platform::IoStatus::failure("");
  return converted();
}

// The copy goes to the first free name. Should another program take that
// name meanwhile (a second batch backing up into the same folder), its file
// stays and the next free name is used.
platform::IoStatus Batch::backUp(const std::string& from, const std::string& backupFolder, const std::string& name) {
  const std::string copy = joinPath(backupFolder, name, sep_);
  for (int attempt = 0;; ++attempt) {
    const auto unique = fits(copy) ? makeUniqueName(copy) : std::nullopt;
    if (!unique) return platform::IoStatus::failure(tooLong(copy));
    bool taken = false;
    platform::IoStatus copied = files_.copyNewFile(from, *unique, taken);
    if (!copied && !taken && stopHelpers()) copied = files_.copyNewFile(from, *unique, taken);
    // A name held by what cannot be read counts as free (makeUniqueName): it
    // is written over as before, or refuses the copy.
    if (taken && !files_.canOpenForReading(*unique))
      copied = files_.copyFile(from, *unique);
    else if (taken && attempt < kBackupAttempts)
      continue;
    if (copied) report({ItemAction::BackedUp, from, *unique, ""});
    return copied;
  }
}

// The path itself when it is free, else base_n.ext for the first free n. None
// when no free name fits a path buffer.
std::optional<std::string> Batch::makeUniqueName(const std::string& path) {
  if (!files_.canOpenForReading(path)) return path;
  const std::size_t nameStart = path.size() - lastComponent(path, sep_).size();
  const std::size_t dot = path.rfind('.');
  const std::size_t split = dot == std::string::npos || dot < nameStart ? path.size() : dot;
  const std::string base = path.substr(0, split);
  const std::string extension = path.substr(split);
  for (unsigned long n = 1;; ++n) {
    const std::string candidate = base + "_" + std::to_string(n) + extension;
    if (!fits(candidate)) return std::nullopt;
    if (!files_.canOpenForReading(candidate)) return candidate;
  }
}

// Whether the folder exists now (made: this call made it); when it cannot be
// made, the user is told, and the batch fails.
bool Batch::ensureFolder(const std::string& path, bool* made) {
  if (made) *made = false;
  if (files_.isDirectory(path) || createFolderPath(path, made) || (stopHelpers() && createFolderPath(path, made)))
    return true;
  show(common::formatText(load(IDS_CREATE_FOLDER_FAILED, kText), path), load(IDS_FATAL_ERROR, kCaption),
       platform::mb::kIconExclamation);
  failed_ = true;
  if (!state_.keepGoing) stopped_ = true;
  return false;
}

// What helpers have written ahead takes room on the disk that one job would
// not have taken: when a step fails with helpers at work, they stop and drop
// all they prepared, and the step is tried once more as one job does it
// (the rest of the batch too), so that a full disk fails the items it fails
// without helpers. False when there were none.
bool Batch::stopHelpers() {
  if (!prefetcher_) return false;
  prefetcher_.reset();
  prepared_.reset();
  return true;
}

// Backward: the deepest part of the path that exists or can be created.
// Forward: every deeper prefix, each ending at and including a separator, then
// the whole path.
// made: the folder path itself was made here (not found made).
bool Batch::createFolderPath(const std::string& path, bool* made) {
  std::string reached = path;
  for (;;) {
    const platform::CreateResult r = files_.createDirectory(reached);
    if (made && reached == path) *made = r == platform::CreateResult::Created;
    if (r != platform::CreateResult::Failed) break;
    const std::string trimmed = withoutTrailingSeparators(reached, sep_);
    const std::size_t cut = trimmed.rfind(sep_);
    if (cut == std::string::npos) return false;
    // Keep the separator of a drive or file-system root ("D:\", "/").
    const bool isRoot = cut == 0 || trimmed[cut - 1] == ':';
    const std::string parent = trimmed.substr(0, isRoot ? cut + 1 : cut);
    if (parent == reached) return false;
    reached = parent;
  }
  std::size_t pos = reached.size();
  while (pos < path.size()) {
    const std::size_t next = path.find(sep_, pos);
    if (next == pos) {
      ++pos;
      continue;
    }
    const std::size_t end = next == std::string::npos ? path.size() : next + 1;
    const platform::CreateResult r = files_.createDirectory(path.substr(0, end));
    if (r == platform::CreateResult::Failed) return false;
    if (made && end == path.size()) *made = r == platform::CreateResult::Created;
    pos = end;
  }
  // A file of that name is no folder to write into.
  return files_.isDirectory(path);
}

// The destination folder met inside a selected folder is not mirrored into
// itself.
bool Batch::isDestination(const std::string& folder) {
  const std::string& destination = *state_.destinationFolder;
  if (sameName(withoutTrailingSeparators(folder, sep_), withoutTrailingSeparators(destination, sep_))) return true;
  const std::string identity = files_.directoryIdentity(folder);
  return !identity.empty() && identity == files_.directoryIdentity(destination);
}

void Batch::setBusyCursor(bool on) {
  if (on) {
    state_.savedCursor = ports_.cursor.setWaitCursor();
    state_.cursorSaved = true;
    ports_.cursor.showCursor(true);
  } else if (state_.cursorSaved) {
    ports_.cursor.showCursor(false);
    ports_.cursor.restore(state_.savedCursor);
    state_.savedCursor = nullptr;
    state_.cursorSaved = false;
  }
}

std::string Batch::load(unsigned id, int bufferSize) { return platform::loadString(ports_.strings, id, bufferSize); }

// A message box without owner; the busy cursor is off while it shows.
int Batch::show(const std::string& text, const std::string& caption, unsigned style) {
  const bool busy = state_.cursorSaved;
  setBusyCursor(false);
  const int answer = ports_.boxes.show(text, caption, style);
  if (busy) setBusyCursor(true);
  return answer;
}

// Tells the user that source failed, and why where that is known. The batch
// stops, unless it keeps going; the result tells the walk whether to go on.
bool Batch::fail(const std::string& source, const std::string& reason) {
  tellFailure(source, reason);
  return !stopped_;
}

void Batch::tellFailure(const std::string& source, const std::string& reason) {
  const bool busy = state_.cursorSaved;
  setBusyCursor(false);
  ports_.boxes.show(common::formatText(load(IDS_FILE_FAILED, kText), source), load(IDS_CONVERSION_ERROR, kCaption),
                    platform::mb::kIconHand);
  if (busy) setBusyCursor(true);
  if (!reason.empty()) ports_.explain(reason);
  if (ports_.observer) ports_.observer->report({ItemAction::Failed, source, "", reason});
  failed_ = true;
  if (!state_.keepGoing) stopped_ = true;
}

}  // namespace

bool convertSelection(BatchState& state, BatchPorts& ports) { return Batch(state, ports).run(); }

}  // namespace morvane
