#include "platform/native/pending_temporaries.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

// A fixed table, so that the signal handler needs no allocation and no lock:
// each slot holds a path of its own (malloc'd) or null. When every slot is
// taken a file is simply not remembered.
constexpr int kSlots = 256;
std::atomic<char*> slots[kSlots];

extern "C" void removeAndReraise(int signal) {
  for (std::atomic<char*>& slot : slots) {
    // The path is not freed here: free is not safe in a signal handler, and
    // the program ends at once.
    if (char* path = slot.exchange(nullptr)) unlink(path);
  }
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  raise(signal);
}

}  // namespace

int rememberTemporary(const std::string& path) {
  char* copy = strdup(path.c_str());
  if (!copy) return -1;
  for (int place = 0; place < kSlots; ++place) {
    char* empty = nullptr;
    if (slots[place].compare_exchange_strong(empty, copy)) return place;
  }
  std::free(copy);
  return -1;
}

void forgetTemporary(int place) {
  if (place < 0 || place >= kSlots) return;
  std::free(slots[place].exchange(nullptr));
}

void removeTemporariesOnSignals() {
  struct sigaction action {};
  action.sa_handler = removeAndReraise;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, signal);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction previous {};
    // A signal the shell told us to ignore (a background job) stays ignored.
    if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

}  // namespace platform
