#include "shell_extension/core/page_prefetcher.h"

#include <algorithm>
#include <memory>
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
                                const std::string& target) {
  auto page = std::make_shared<const engine::PreparedPage>(engine::preparePage(context, source.c_str(), target.c_str()));
  return [page](engine::ConversionContext& writer) { return engine::writePreparedPage(writer, *page); };
}

PagePrefetcher::PagePrefetcher(unsigned jobs, const engine::ConversionContext& prototype, PagePreparer prepare)
    : prototype_(settingsOf(prototype)), prepare_(std::move(prepare)), window_(2 * std::size_t(jobs ? jobs : 1)) {
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

std::size_t PagePrefetcher::add(const std::string& source, const std::string& target) {
  std::lock_guard<std::mutex> lock(mutex_);
  Page page;
  page.source = source;
  page.target = target;
  pages_.push_back(std::move(page));  // a deque keeps the pages in place as it grows
  // Workers start only what lies within the window: beyond it, nobody waits
  // for this page yet (the batch plans thousands before it takes any).
  const std::size_t number = pages_.size() - 1;
  if (idleWorkers_ && number < taken_ + window_) workReady_.notify_one();
  return number;
}

PreparedWrite PagePrefetcher::take(std::size_t number) {
  std::unique_lock<std::mutex> lock(mutex_);
  Page& page = pages_[number];
  if (!page.started) {
    // Not yet begun (the batch caught up): prepare it here, at once.
    page.started = true;
    lock.unlock();
    engine::ConversionContext context = settingsOf(prototype_);
    PreparedWrite write = prepare_(context, page.source, page.target);
    lock.lock();
    page.write = std::move(write);
    page.done = true;
  }
  if (!page.done) {
    waitingFor_ = number;
    pageDone_.wait(lock, [&] { return page.done; });
    waitingFor_.reset();
  }
  PreparedWrite write = std::move(page.write);
  page.write = nullptr;
  // The window moves on: an idle worker may start what entered it. (Waking
  // threads costs more than the small items of a batch: only when needed.)
  if (number + 1 > taken_) {
    taken_ = number + 1;
    if (idleWorkers_ && taken_ + window_ - 1 < pages_.size()) workReady_.notify_one();
  }
  return write;
}

void PagePrefetcher::work() {
  engine::ConversionContext context = settingsOf(prototype_);
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    // The next page not yet begun, within the window ahead of the batch.
    const auto ready = [this] {
      while (nextToStart_ < pages_.size() && pages_[nextToStart_].started) ++nextToStart_;
      return stopping_ || (nextToStart_ < pages_.size() && nextToStart_ < taken_ + window_);
    };
    if (!ready()) {
      ++idleWorkers_;
      workReady_.wait(lock, ready);
      --idleWorkers_;
    }
    if (stopping_) return;
    const std::size_t number = nextToStart_++;
    Page& page = pages_[number];
    page.started = true;
    lock.unlock();
    context.failure.clear();
    PreparedWrite write = prepare_(context, page.source, page.target);
    lock.lock();
    page.write = std::move(write);
    page.done = true;
    if (waitingFor_ == number) pageDone_.notify_one();
  }
}

}  // namespace morvane
