#include "shell_extension/core/conversion_queue.h"

#include <utility>

namespace morvane {

ConversionQueue::ConversionQueue(unsigned jobs, engine::ConversionContext& prototype, PageConverter convert)
    : prototype_(prototype), convert_(std::move(convert)) {
  for (unsigned i = 0; jobs > 1 && i < jobs; ++i) workers_.emplace_back([this] { work(); });
}

ConversionQueue::~ConversionQueue() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

// A context of its own for a worker: the settings of the batch's context.
engine::ConversionContext ConversionQueue::contextFor() const {
  engine::ConversionContext context;
  context.useOdsFiles = prototype_.useOdsFiles;
  context.clock = prototype_.clock;
  context.utcTimes = prototype_.utcTimes;
  context.fileIo = prototype_.fileIo;
  return context;
}

void ConversionQueue::run(Job& job, engine::ConversionContext& context) {
  job.ok = convert_(context, job.source.c_str(), job.target.c_str()) != 0;
  if (!job.ok) job.failure = context.failure;
}

void ConversionQueue::markDone(Job& job) {
  job.done = true;
  --unfinished_;
  for (const std::string& key : job.writes)
    if (--pendingWrites_[key] == 0) pendingWrites_.erase(key);
}

std::size_t ConversionQueue::submit(const std::string& source, const std::string& target,
                                    std::vector<std::string> writes) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (const std::string& key : writes) ++pendingWrites_[key];
  ++unfinished_;
  // A deque keeps the jobs in place as it grows: workers hold references.
  Job job;
  job.source = source;
  job.target = target;
  job.writes = std::move(writes);
  jobs_.push_back(std::move(job));
  const std::size_t ticket = jobs_.size() - 1;
  if (workers_.empty()) {
    // One at a time: convert now, with the batch's own context.
    nextToStart_ = jobs_.size();
    Job& now = jobs_[ticket];
    lock.unlock();
    run(now, prototype_);
    lock.lock();
    markDone(now);
    return ticket;
  }
  lock.unlock();
  changed_.notify_all();
  return ticket;
}

void ConversionQueue::work() {
  engine::ConversionContext context = contextFor();
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || nextToStart_ < jobs_.size(); });
    if (nextToStart_ >= jobs_.size()) return;  // stopping, nothing left
    Job& job = jobs_[nextToStart_++];
    lock.unlock();
    run(job, context);
    lock.lock();
    markDone(job);
    changed_.notify_all();
  }
}

void ConversionQueue::waitFor(const std::string& key) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return pendingWrites_.count(key) == 0; });
}

bool ConversionQueue::finished(std::size_t ticket) {
  std::lock_guard<std::mutex> lock(mutex_);
  return jobs_[ticket].done;
}

bool ConversionQueue::ok(std::size_t ticket) {
  std::lock_guard<std::mutex> lock(mutex_);
  return jobs_[ticket].ok;
}

std::string ConversionQueue::failure(std::size_t ticket) {
  std::lock_guard<std::mutex> lock(mutex_);
  return jobs_[ticket].failure;
}

void ConversionQueue::waitForAll() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return unfinished_ == 0; });
}

}  // namespace morvane
