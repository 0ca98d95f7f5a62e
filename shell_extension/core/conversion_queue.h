// The page conversions of a batch: one at a time on the batch's own thread,
// or several at once on threads of their own. Either way the batch sees
// each conversion end in the order it was handed in, and never touches a
// file that a conversion still writes.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "engine/context.h"

namespace morvane {

// Converts source into target with the context it is given; 1 for success.
using PageConverter = std::function<int(engine::ConversionContext&, const char*, const char*)>;

class ConversionQueue {
 public:
  // jobs conversions at once (1: each runs at once, on the calling thread).
  // Each worker converts with its own copy of prototype's settings.
  ConversionQueue(unsigned jobs, engine::ConversionContext& prototype, PageConverter convert);
  ~ConversionQueue();
  ConversionQueue(const ConversionQueue&) = delete;
  ConversionQueue& operator=(const ConversionQueue&) = delete;

  // Converts source into target. The files it writes are named by writes
  // (the page and its script file), compared as the batch compares names
  // (key). Returns a ticket for finished().
  std::size_t submit(const std::string& source, const std::string& target, std::vector<std::string> writes);
  // Waits until no pending conversion writes a file of that key.
  void waitFor(const std::string& key);
  // Whether the conversion of the ticket has ended; then ok() and failure()
  // tell how.
  bool finished(std::size_t ticket);
  bool ok(std::size_t ticket);
  std::string failure(std::size_t ticket);
  // Waits for every conversion handed in.
  void waitForAll();

 private:
  struct Job {
    std::string source;
    std::string target;
    std::vector<std::string> writes;
    bool done = false;
    bool ok = false;
    std::string failure;
  };
  void work();
  void run(Job& job, engine::ConversionContext& context);
  void markDone(Job& job);  // with the lock held
  engine::ConversionContext contextFor() const;

  engine::ConversionContext& prototype_;
  PageConverter convert_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Job> jobs_;        // every job handed in, by ticket
  std::size_t nextToStart_ = 0;  // the first job no worker has taken
  std::size_t unfinished_ = 0;   // jobs handed in and not yet done
  std::unordered_map<std::string, int> pendingWrites_;  // files that unfinished jobs write
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace morvane
