#include "shell_extension/core/page_prefetcher.h"

#include <algorithm>
#include <utility>

#include "engine/driver.h"

namespace morvane {

namespace {

// A context of its own for a worker: the settings of the batch's context.
engine::ConversionContext settingsOf(const engine::ConversionContext& prototype) {
  engine::ConversionContext context;
  context.useOdsFiles = prototype.useOdsFiles;
  context.clock = prototype.clock;
  context.utcTimes = prototype.utcTimes;
  context.fileIo = prototype.fileIo;
  return context;
}

}  // namespace

PreparedWrite prepareWithEngine(engine::ConversionContext& context, const std::string& source,
                                const std::string& target, const std::string& nearPath) {
  auto page = std::make_shared<engine::PreparedPage>(engine::preparePage(context, source.c_str(), target.c_str()));
  engine::stagePreparedPage(context, *page, nearPath);
  return [page](engine::ConversionContext& writer) { return engine::writePreparedPage(writer, *page); };
}

PreparedCopy prepareCopy(platform::FileIo& io, const std::string& source, const std::string& target,
                         const std::string& nearPath) {
  auto copy = std::make_shared<platform::ReplacementFile>(io, target, platform::ReplacementFile::Target::New);
  copy->makeNear(nearPath);
  // The new file first: where it cannot be made, the source is not read.
  if (!copy->write({}) || !platform::copyInto(io, source, *copy)) return nullptr;
  return copy;
}

PagePrefetcher::PagePrefetcher(unsigned jobs, const engine::ConversionContext& prototype, PagePreparer prepare,
                               CopyPreparer copy)
    : prototype_(settingsOf(prototype)),
      prepare_(std::move(prepare)),
      copy_(std::move(copy)),
      pagesAhead_(2 * std::size_t(jobs ? jobs : 1)) {
  for (unsigned i = 0; i < jobs; ++i) workers_.emplace_back([this] { work(); });
}

PagePrefetcher::~PagePrefetcher() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  workReady_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

std::size_t PagePrefetcher::add(const std::string& source, const std::string& target, const std::string& nearPath) {
  Item item;
  item.source = source;
  item.target = target;
  item.nearPath = nearPath;
  return append(std::move(item));
}

std::size_t PagePrefetcher::addCopy(const std::string& source, const std::string& target, const std::string& nearPath) {
  Item item;
  item.source = source;
  item.target = target;
  item.nearPath = nearPath;
  item.copy = true;
  return append(std::move(item));
}

std::size_t PagePrefetcher::append(Item item) {
  std::lock_guard<std::mutex> lock(mutex_);
  items_.push_back(std::move(item));  // a deque keeps the items in place as it grows
  // Workers start only what lies within reach: beyond it, nobody waits for
  // this item yet (the batch plans thousands before it takes any).
  const std::size_t number = items_.size() - 1;
  if (idleWorkers_ && number < taken_ + kItemsAhead) workReady_.notify_one();
  return number;
}

void PagePrefetcher::prepare(engine::ConversionContext& context, Item& item) {
  if (item.copy) {
    item.copied = copy_(item.source, item.target, item.nearPath);
  } else {
    context.failure.clear();
    item.write = prepare_(context, item.source, item.target, item.nearPath);
  }
}

PagePrefetcher::Item& PagePrefetcher::await(std::unique_lock<std::mutex>& lock, std::size_t number) {
  Item& item = items_[number];
  if (!item.started) {
    // Not yet begun: the batch caught up. A page is prepared here, at once;
    // a copy is left to the batch, which copies only when it must.
    item.started = true;
    if (!item.copy) {
      // Begun, the item is the batch's alone: no worker touches it.
      lock.unlock();
      engine::ConversionContext context = settingsOf(prototype_);
      prepare(context, item);
      lock.lock();
    }
    item.done = true;
  }
  if (!item.done) {
    waitingFor_ = number;
    itemDone_.wait(lock, [&] { return item.done; });
    waitingFor_.reset();
  }
  // Reach moves on: idle workers may start what came within it.
  bool wake = false;
  if (!item.copy && item.heldByWorker) {
    item.heldByWorker = false;
    --pagesHeld_;
    wake = true;
  }
  if (number + 1 > taken_) {
    taken_ = number + 1;
    wake = wake || taken_ >= wokenAt_ + kWakeEvery;
  }
  if (wake && idleWorkers_ && nextToStart_ < items_.size()) {
    wokenAt_ = taken_;
    workReady_.notify_all();
  }
  return item;
}

PreparedWrite PagePrefetcher::take(std::size_t number) {
  std::unique_lock<std::mutex> lock(mutex_);
  return std::move(await(lock, number).write);
}

PreparedCopy PagePrefetcher::takeCopy(std::size_t number) {
  std::unique_lock<std::mutex> lock(mutex_);
  return std::move(await(lock, number).copied);
}

void PagePrefetcher::work() {
  engine::ConversionContext context = settingsOf(prototype_);
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    // The next item not yet begun, within reach ahead of the batch (a page
    // only while fewer than pagesAhead_ are held).
    const auto ready = [this] {
      while (nextToStart_ < items_.size() && items_[nextToStart_].started) ++nextToStart_;
      if (stopping_) return true;
      if (nextToStart_ >= items_.size() || nextToStart_ >= taken_ + kItemsAhead) return false;
      return items_[nextToStart_].copy || pagesHeld_ < pagesAhead_;
    };
    if (!ready()) {
      ++idleWorkers_;
      workReady_.wait(lock, ready);
      --idleWorkers_;
    }
    if (stopping_) return;
    const std::size_t number = nextToStart_++;
    Item& item = items_[number];
    item.started = true;
    if (!item.copy) {
      item.heldByWorker = true;
      ++pagesHeld_;
    }
    lock.unlock();
    prepare(context, item);
    lock.lock();
    item.done = true;
    if (waitingFor_ == number) itemDone_.notify_one();
  }
}

}  // namespace morvane
