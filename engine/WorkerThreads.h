// The threads that share the trial divisions: how many, and the task arena they work in.
#pragma once

#include <functional>
#include <string>

namespace teilomat {

// The number of threads a parallel search uses, the window's own thread
// included: TEILOMAT_THREADS when it holds a whole number from 1 to 256 (an
// other value is ignored with a warning on stderr), else every hardware
// thread. 1 means every search runs on the window's thread alone.
int workerThreadCount();

// Reads a TEILOMAT_THREADS value: the count, or 0 with the reason in
// `warning` when the value is unusable; null or empty gives 0 and no warning.
int threadCountForRequest(const char* request, std::string& warning);

// Runs `work` on the calling thread inside the workers' arena, isolated:
// while the caller waits for parallel work started inside it, it runs only
// that work, never tasks of a search further out (whose event passes would
// then run inside this one). Exceptions thrown by `work` propagate.
void runWithWorkers(const std::function<void()>& work);

// Sets the thread count for the life of the scope (tests, benchmarks) and
// restores the previous one. Only where no parallel work is running.
class ScopedThreadCount {
 public:
  explicit ScopedThreadCount(int threads);
  ~ScopedThreadCount();
  ScopedThreadCount(const ScopedThreadCount&) = delete;
  ScopedThreadCount& operator=(const ScopedThreadCount&) = delete;

 private:
  int saved_;
};

}  // namespace teilomat
