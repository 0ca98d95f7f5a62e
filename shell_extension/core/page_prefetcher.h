// Pages of a batch prepared ahead, side by side: while the batch handles its
// items one after another, worker threads already read and convert the pages
// that come next. Preparing writes nothing; the batch writes each page at
// its turn, so that the batch does exactly what it does without helpers.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/context.h"

namespace morvane {

// Writes a prepared page (its page file and script file) as the conversion
// would have written them; 1 for success, as the conversion answers.
using PreparedWrite = std::function<int(engine::ConversionContext&)>;
// Reads and converts source for target and returns what writes the result.
using PagePreparer =
    std::function<PreparedWrite(engine::ConversionContext&, const std::string& source, const std::string& target)>;

// The engine's preparer: reads and converts the page in memory; what it
// returns writes it as engine::convertFile would have.
PreparedWrite prepareWithEngine(engine::ConversionContext& context, const std::string& source,
                                const std::string& target);

class PagePrefetcher {
 public:
  // jobs worker threads, each with its own context of prototype's settings;
  // at most 2 * jobs pages are prepared ahead of the one taken last.
  PagePrefetcher(unsigned jobs, const engine::ConversionContext& prototype, PagePreparer prepare);
  ~PagePrefetcher();
  PagePrefetcher(const PagePrefetcher&) = delete;
  PagePrefetcher& operator=(const PagePrefetcher&) = delete;

  // Adds a page to prepare, in the order the batch will take them; returns
  // its number.
  std::size_t add(const std::string& source, const std::string& target);
  // The prepared page of that number, waiting for it.
  PreparedWrite take(std::size_t page);

 private:
  struct Page {
    std::string source, target;
    bool started = false;
    bool done = false;
    PreparedWrite write;
  };
  void work();

  engine::ConversionContext prototype_;
  PagePreparer prepare_;
  const std::size_t window_;
  std::mutex mutex_;
  std::condition_variable workReady_;  // workers wait for an item to start
  std::condition_variable pageDone_;   // the batch waits for the item it takes
  std::size_t idleWorkers_ = 0;
  std::optional<std::size_t> waitingFor_;  // the item the batch waits for
  std::deque<Page> pages_;
  std::size_t nextToStart_ = 0;
  std::size_t taken_ = 0;  // pages before this one were taken
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace morvane
