// How the terminal command tells a batch: progress redrawn in place on a
// terminal, one line per item when asked, the failures, and a summary.
#pragma once

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/user_interface.h"
#include "shell_extension/core/batch_conversion.h"

namespace morvane {

struct ReporterOptions {
  bool progress = false;  // redraw "[done/found] current file" on err (a terminal)
  bool verbose = false;   // one line per item on out
  bool dryRun = false;    // the items are what would be done
  std::string currentFolder;  // paths below it are shown relative to it
  unsigned width = 80;        // of the terminal, for the progress line
};

// Counts of one batch.
struct BatchCounts {
  std::size_t converted = 0, copied = 0, kept = 0, backedUp = 0, failed = 0;
};

class BatchReporter : public BatchObserver {
 public:
  BatchReporter(std::ostream& out, std::ostream& err, ReporterOptions options);

  void found(std::size_t files) override;
  void handling(const std::string& source) override;
  void report(const ItemReport& item) override;

  // Removes the progress line, so that other output starts on a clean line.
  void clearProgress();
  // "3 pages converted, 10 files copied, ... (0.42 s)".
  std::string summary(double seconds) const;
  const BatchCounts& counts() const { return counts_; }
  // The failed items, in the order they failed.
  const std::vector<std::string>& failures() const { return failures_; }
  // The path as shown: relative to the current folder when below it.
  std::string shown(const std::string& path) const;

 private:
  void drawProgress(bool force);

  std::ostream& out_;
  std::ostream& err_;
  ReporterOptions options_;
  BatchCounts counts_;
  std::vector<std::string> failures_;
  std::size_t found_ = 0;
  std::size_t done_ = 0;
  std::string current_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point lastDraw_;
};

// Message boxes that clear the progress line before another adapter shows
// a box.
class ProgressAwareBoxes : public platform::MessageBoxes {
 public:
  ProgressAwareBoxes(platform::MessageBoxes& boxes, BatchReporter& reporter) : boxes_(boxes), reporter_(reporter) {}
  int show(const std::string& text, const std::string& caption, unsigned style) override {
    reporter_.clearProgress();
    return boxes_.show(text, caption, style);
  }

 private:
  platform::MessageBoxes& boxes_;
  BatchReporter& reporter_;
};

// Message boxes of a quiet or a dry run: a quiet run shows only warnings and
// errors; a dry run shows none (its reports tell what would happen).
class QuietBoxes : public platform::MessageBoxes {
 public:
  enum class Shows { Everything, Failures, Nothing };
  QuietBoxes(platform::MessageBoxes& boxes, Shows shows) : boxes_(boxes), shows_(shows) {}
  int show(const std::string& text, const std::string& caption, unsigned style) override {
    const unsigned icon = style & platform::mb::kIconMask;
    const bool failure = icon == platform::mb::kIconHand || icon == platform::mb::kIconExclamation;
    if (shows_ == Shows::Nothing || (shows_ == Shows::Failures && !failure)) return platform::mb::kIdOk;
    return boxes_.show(text, caption, style);
  }

 private:
  platform::MessageBoxes& boxes_;
  Shows shows_;
};

}  // namespace morvane
