// The workers' arena on oneTBB, sized once from TEILOMAT_THREADS or the hardware.
#include "engine/WorkerThreads.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/info.h>
#include <oneapi/tbb/task_arena.h>

namespace teilomat {
namespace {

constexpr int kMaxThreads = 256;

// The arena and the global limit that lets it have more workers than the
// hardware has threads (a forced count above it, for tests). Rebuilt only
// when the count changes, which happens outside any parallel work.
struct Workers {
  int count = 0;
  std::unique_ptr<tbb::global_control> limit;
  std::unique_ptr<tbb::task_arena> arena;

  void resize(int threads) {
    arena.reset();
    limit.reset();
    count = threads;
    limit = std::make_unique<tbb::global_control>(tbb::global_control::max_allowed_parallelism,
                                                  static_cast<std::size_t>(threads));
    arena = std::make_unique<tbb::task_arena>(threads, 1);
  }
};

Workers& workers() {
  static Workers instance;
  static std::once_flag configured;
  std::call_once(configured, [] {
    std::string warning;
    int threads = threadCountForRequest(std::getenv("TEILOMAT_THREADS"), warning);
    if (!warning.empty()) std::fprintf(stderr, "teilomat: %s\n", warning.c_str());
    if (threads == 0) threads = std::max(1, tbb::info::default_concurrency());
    instance.resize(threads);
  });
  return instance;
}

}  // namespace

int threadCountForRequest(const char* request, std::string& warning) {
  warning.clear();
  if (request == nullptr || *request == '\0') return 0;
  char* end = nullptr;
  const long value = std::strtol(request, &end, 10);
  if (*end != '\0' || value < 1 || value > kMaxThreads) {
    warning = std::string("TEILOMAT_THREADS=") + request + " is not a thread count from 1 to " +
              std::to_string(kMaxThreads) + "; using every hardware thread";
    return 0;
  }
  return static_cast<int>(value);
}

int workerThreadCount() { return workers().count; }

void runWithWorkers(const std::function<void()>& work) {
  workers().arena->execute([&] { tbb::this_task_arena::isolate(work); });
}

ScopedThreadCount::ScopedThreadCount(int threads) : saved_(workerThreadCount()) {
  workers().resize(std::clamp(threads, 1, kMaxThreads));
}

ScopedThreadCount::~ScopedThreadCount() { workers().resize(saved_); }

}  // namespace teilomat
