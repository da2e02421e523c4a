// Ends the test program with a failure when a command under test runs far too long.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace teilomat::listingtest {

// Guards one scope: if it is not left within `limit`, a loop under test is
// taken to hang; the program prints `what` and exits with failure, since a
// hung thread cannot be failed from outside.
class ListingWatchdog {
 public:
  explicit ListingWatchdog(std::string what, std::chrono::seconds limit = std::chrono::seconds(60))
      : what_(std::move(what)), thread_([this, limit] {
          std::unique_lock lock(mutex_);
          if (!done_.wait_for(lock, limit, [this] { return finished_; })) {
            std::fprintf(stderr, "Watchdog: '%s' did not finish in time\n", what_.c_str());
            std::_Exit(EXIT_FAILURE);
          }
        }) {}
  ~ListingWatchdog() {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    done_.notify_one();
    thread_.join();
  }
  ListingWatchdog(const ListingWatchdog&) = delete;
  ListingWatchdog& operator=(const ListingWatchdog&) = delete;

 private:
  std::string what_;
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;  // last: starts once the members above exist
};

}  // namespace teilomat::listingtest
