#include "shell_extension/terminal/batch_reporter.h"

#include <cstdio>
#include <ostream>

namespace morvane {

namespace {

// Redraws of the progress line at most this often: a batch of thousands of
// small files must not spend its time drawing.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// "1 page", "2 pages".
std::string counted(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

BatchReporter::BatchReporter(std::ostream& out, std::ostream& err, ReporterOptions options)
    : out_(out), err_(err), options_(std::move(options)) {}

std::string BatchReporter::shown(const std::string& path) const {
  const std::string& here = options_.currentFolder;
  if (!here.empty() && path.size() > here.size() + 1 && path.compare(0, here.size(), here) == 0 &&
      path[here.size()] == '/') {
    return path.substr(here.size() + 1);
  }
  return path;
}

void BatchReporter::found(std::size_t files) {
  found_ += files;
  drawProgress(false);
}

void BatchReporter::handling(const std::string& source) {
  current_ = source;
  drawProgress(false);
}

void BatchReporter::report(const ItemReport& item) {
  std::string line;
  switch (item.action) {
    case ItemAction::Converted:
      ++counts_.converted;
      line = std::string(options_.dryRun ? "would convert " : "converted ") + shown(item.source) + " -> " +
             shown(item.target);
      break;
    case ItemAction::Copied:
      ++counts_.copied;
      line = std::string(options_.dryRun ? "would copy " : "copied ") + shown(item.source) + " -> " +
             shown(item.target);
      break;
    case ItemAction::Kept:
      ++counts_.kept;
      line = std::string(options_.dryRun ? "would keep " : "kept ") + shown(item.target);
      break;
    case ItemAction::BackedUp:
      ++counts_.backedUp;
      line = std::string(options_.dryRun ? "would back up " : "backed up ") + shown(item.source) + " as " +
             shown(item.target);
      break;
    case ItemAction::Failed:
      ++counts_.failed;
      failures_.push_back(item.source);
      line = std::string(options_.dryRun ? "would fail: " : "failed: ") +
             (item.reason.empty() ? shown(item.source) : item.reason);
      break;
  }
  if (item.action != ItemAction::BackedUp) ++done_;
  // Failures are told on err by the batch's own messages; the list shows
  // them to a verbose or dry run as well.
  if (options_.verbose || options_.dryRun) {
    clearProgress();
    out_ << line << '\n' << std::flush;
  }
  drawProgress(item.action == ItemAction::Failed);
}

void BatchReporter::drawProgress(bool force) {
  if (!options_.progress) return;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && !force && now - lastDraw_ < kRedrawInterval) return;
  lastDraw_ = now;
  std::string line = "[" + std::to_string(done_) + "/" + std::to_string(found_) + "] " + shown(current_);
  if (line.size() >= options_.width) line = line.substr(0, options_.width > 1 ? options_.width - 1 : 0);
  err_ << "\r\x1b[K" << line << std::flush;
  drawn_ = true;
}

void BatchReporter::clearProgress() {
  if (!drawn_) return;
  err_ << "\r\x1b[K" << std::flush;
  drawn_ = false;
}

std::string BatchReporter::summary(double seconds) const {
  char time[32];
  std::snprintf(time, sizeof time, "%.2f s", seconds);
  std::string text = counted(counts_.converted, "page", "pages") + (options_.dryRun ? " to convert, " : " converted, ") +
                     counted(counts_.copied, "file", "files") + (options_.dryRun ? " to copy, " : " copied, ") +
                     std::to_string(counts_.kept) + (options_.dryRun ? " to leave" : " left") + " as they were, " +
                     counted(counts_.backedUp, "backup", "backups") + (options_.dryRun ? " to make, " : " made, ") +
                     std::to_string(counts_.failed) + (options_.dryRun ? " would fail" : " failed");
  return text + " (" + time + ")";
}

}  // namespace morvane
