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
  changed_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

std::size_t PagePrefetcher::add(const std::string& source, const std::string& target) {
  std::lock_guard<std::mutex> lock(mutex_);
  Page page;
  page.source = source;
  page.target = target;
  pages_.push_back(std::move(page));  // a deque keeps the pages in place as it grows
  changed_.notify_all();
  return pages_.size() - 1;
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
  changed_.wait(lock, [&] { return page.done; });
  PreparedWrite write = std::move(page.write);
  page.write = nullptr;
  taken_ = std::max(taken_, number + 1);
  changed_.notify_all();
  return write;
}

void PagePrefetcher::work() {
  engine::ConversionContext context = settingsOf(prototype_);
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    // The next page not yet begun, within the window ahead of the batch.
    changed_.wait(lock, [this] {
      while (nextToStart_ < pages_.size() && pages_[nextToStart_].started) ++nextToStart_;
      return stopping_ || (nextToStart_ < pages_.size() && nextToStart_ < taken_ + window_);
    });
    if (stopping_) return;
    Page& page = pages_[nextToStart_++];
    page.started = true;
    lock.unlock();
    context.failure.clear();
    PreparedWrite write = prepare_(context, page.source, page.target);
    lock.lock();
    page.write = std::move(write);
    page.done = true;
    changed_.notify_all();
  }
}

}  // namespace morvane
