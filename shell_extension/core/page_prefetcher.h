// Items of a batch prepared ahead, side by side: while the batch handles its
// items one after another, worker threads already read and convert the pages
// that come next, and copy the files that come next into files that have no
// name yet. Preparing changes nothing anybody can see; the batch completes
// each item at its turn (writes the page, names the copy, or drops it), so
// that the batch does exactly what it does without helpers.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/context.h"
#include "platform/safe_file.h"

namespace morvane {

// Writes a prepared page (its page file and script file) as the conversion
// would have written them; 1 for success, as the conversion answers.
using PreparedWrite = std::function<int(engine::ConversionContext&)>;
// Reads and converts source for target and returns what writes the result.
// It may write the result ahead into files without names yet, made in the
// folder of nearPath (see CopyPreparer), to be named at the page's turn.
using PagePreparer = std::function<PreparedWrite(engine::ConversionContext&, const std::string& source,
                                                 const std::string& target, const std::string& nearPath)>;

// The engine's preparer: reads and converts the page in memory, and writes
// it ahead where it can (engine::stagePreparedPage); what it returns writes
// it as engine::convertFile would have.
PreparedWrite prepareWithEngine(engine::ConversionContext& context, const std::string& source,
                                const std::string& target, const std::string& nearPath);

// A copy made ahead: the content of the source in a new file beside the
// target, not yet committed (where the platform allows, it has no name until
// then). Committing it names it; dropping it leaves nothing.
using PreparedCopy = std::shared_ptr<platform::ReplacementFile>;
// Makes a copy ahead for a target not expected to exist. The target's folder
// may not exist yet: the copy is made in the folder of nearPath (the
// destination folder), to be moved to the target when committed. None when it
// cannot be made now: the batch then copies at the item's turn, and tells
// what fails.
using CopyPreparer =
    std::function<PreparedCopy(const std::string& source, const std::string& target, const std::string& nearPath)>;

// The copy ahead through io.
PreparedCopy prepareCopy(platform::FileIo& io, const std::string& source, const std::string& target,
                         const std::string& nearPath);

class PagePrefetcher {
 public:
  // jobs worker threads, each with its own context of prototype's settings.
  // They work at most kItemsAhead items ahead of the one taken last, and hold
  // at most 2 * jobs pages prepared (a page may be large; a copy ahead holds
  // no memory). Copies are prepared only when copy is given.
  PagePrefetcher(unsigned jobs, const engine::ConversionContext& prototype, PagePreparer prepare,
                 CopyPreparer copy = nullptr);
  ~PagePrefetcher();
  PagePrefetcher(const PagePrefetcher&) = delete;
  PagePrefetcher& operator=(const PagePrefetcher&) = delete;

  static constexpr std::size_t kItemsAhead = 64;
  // Idle workers are woken when the batch has taken this many items since
  // they were last woken (or a page's place is free): waking threads costs
  // more than a small item.
  static constexpr std::size_t kWakeEvery = 16;

  bool preparesCopies() const { return static_cast<bool>(copy_); }

  // Adds a page to prepare, or a file to copy, in the order the batch will
  // take them; returns its number.
  std::size_t add(const std::string& source, const std::string& target, const std::string& nearPath);
  std::size_t addCopy(const std::string& source, const std::string& target, const std::string& nearPath);
  // The prepared page of that number, waiting for it.
  PreparedWrite take(std::size_t item);
  // The copy of that number, waiting for it; none when it is not made (then
  // it is not made ahead any more either).
  PreparedCopy takeCopy(std::size_t item);

 private:
  struct Item {
    std::string source, target;
    std::string nearPath;  // written ahead in this path's folder
    bool copy = false;
    bool started = false;
    bool done = false;
    bool heldByWorker = false;  // a page a worker began, counted in pagesHeld_
    PreparedWrite write;
    PreparedCopy copied;
  };
  std::size_t append(Item item);
  void prepare(engine::ConversionContext& context, Item& item);
  // The item of that number once prepared (or, not begun yet, marked begun
  // and returned as it is); the window moves on behind it.
  Item& await(std::unique_lock<std::mutex>& lock, std::size_t number);
  void work();

  engine::ConversionContext prototype_;
  PagePreparer prepare_;
  CopyPreparer copy_;
  const std::size_t pagesAhead_;  // the most pages held prepared
  std::mutex mutex_;
  std::condition_variable workReady_;  // workers wait for an item to start
  std::condition_variable itemDone_;   // the batch waits for the item it takes
  std::size_t idleWorkers_ = 0;
  std::optional<std::size_t> waitingFor_;  // the item the batch waits for
  std::deque<Item> items_;
  std::size_t nextToStart_ = 0;
  std::size_t taken_ = 0;     // items before this one were taken
  std::size_t pagesHeld_ = 0;  // pages begun by workers and not yet taken
  std::size_t wokenAt_ = 0;    // taken_ when idle workers were last woken
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace morvane
