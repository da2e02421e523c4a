// Trial division on every worker thread: blocks of chunks with a smallest hit, and batches of short runs.
#include "engine/ParallelSearch.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <memory>
#include <thread>

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/partitioner.h>

#include "engine/SquareRootBound.h"
#include "engine/WorkerThreads.h"
#include "engine/kernels/DivisorKernels.h"

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
extern "C" void AnnotateIgnoreReadsBegin(const char* file, int line);
extern "C" void AnnotateIgnoreReadsEnd(const char* file, int line);
#endif

namespace teilomat {
namespace {

// ThreadSanitizer cannot see the synchronisation inside oneTBB, which is not
// built for it: these notes tell it what a parallel_for guarantees, that its
// tasks begin after it was called and that it returns after they end.
// Without ThreadSanitizer they cost nothing.
class ForkJoinNotes {
 public:
  void forking() { release(&fork_); }
  void taskBegins() { acquire(&fork_); }
  void taskEnds() { release(&join_); }
  void joined() { acquire(&join_); }

 private:
#if defined(__SANITIZE_THREAD__)
  static void acquire(void* address) { __tsan_acquire(address); }
  static void release(void* address) { __tsan_release(address); }
#else
  static void acquire(void*) {}
  static void release(void*) {}
#endif
  char fork_ = 0;
  char join_ = 0;
};

// A value read from a loop body that oneTBB copied: the copy is made inside
// oneTBB, after the fork was noted, so ThreadSanitizer is not shown the read.
template <class T>
T readCopiedBody(const T& value) {
#if defined(__SANITIZE_THREAD__)
  AnnotateIgnoreReadsBegin(__FILE__, __LINE__);
  const T copy = value;
  AnnotateIgnoreReadsEnd(__FILE__, __LINE__);
  return copy;
#else
  return value;
#endif
}

// What oneTBB copies into its tasks: two pointers. Each task notes the fork
// before it runs the real body, which stays on the forking thread's stack.
template <class Body>
class NotedBody {
 public:
  NotedBody(const Body& body, ForkJoinNotes& notes) : body_(&body), notes_(&notes) {}
  template <class Range>
  void operator()(const Range& range) const {
    ForkJoinNotes* const notes = readCopiedBody(notes_);
    const Body* const body = readCopiedBody(body_);
    notes->taskBegins();
    (*body)(range);
  }

 private:
  const Body* body_;
  ForkJoinNotes* notes_;
};

// Notes the join when the scope ends, by return or by an exception.
class JoinedScope {
 public:
  explicit JoinedScope(ForkJoinNotes& notes) : notes_(notes) {}
  ~JoinedScope() { notes_.joined(); }
  JoinedScope(const JoinedScope&) = delete;
  JoinedScope& operator=(const JoinedScope&) = delete;

 private:
  ForkJoinNotes& notes_;
};

constexpr std::uint64_t kNoHit = std::numeric_limits<std::uint64_t>::max();
// Chunks per thread in one block: the join at a block's end leaves each
// thread idle for half a chunk on average, about 1.5 % of a block.
constexpr std::uint64_t kChunksPerThreadInBlock = 32;
// A run is split only when it has at least this many chunks.
constexpr std::uint64_t kMinSplitChunks = 16;
// Odd numbers per task of a batch: most are composites that take a few
// divisions, so single numbers would cost more to hand out than to divide.
constexpr std::size_t kNumbersPerTask = 4;
// A forced chunk size, 0 when chosen by the kernel.
std::uint64_t forcedChunk = 0;

// Lowers `best` to `hit` unless it is already lower.
void lowerTo(std::atomic<std::uint64_t>& best, std::uint64_t hit) {
  std::uint64_t seen = best.load(std::memory_order_relaxed);
  while (hit < seen && !best.compare_exchange_weak(seen, hit, std::memory_order_relaxed)) {
  }
}

// The first dividing index of n in [from, last], or 0, in chunks with
// between(to) called after each chunk [.., to] that finds nothing (but the
// last). Exact when no candidate below `from` divides n.
template <class Between>
std::uint64_t firstHitInChunks(uint128 n, std::uint64_t from, std::uint64_t last, std::uint64_t chunk,
                               Between between) {
  for (;;) {
    const std::uint64_t to = std::min(last, from + chunk - 1);
    if (const std::uint64_t hit = firstDividingIndex(n, from, to)) return hit;
    if (to == last) return 0;
    between(to);
    from = to + 1;
  }
}

// The window's thread passes this many times per chunk: a pass of a clock
// pump that is not due costs a clock read, and the window answers sooner.
constexpr std::uint64_t kPassesPerChunk = 16;

}  // namespace

std::uint64_t chunkCandidates() {
  if (forcedChunk != 0) return forcedChunk;
  return activeKernel() == KernelVariant::Scalar ? std::uint64_t{1} << 16 : std::uint64_t{1} << 19;
}

ScopedChunkCandidates::ScopedChunkCandidates(std::uint64_t candidates) : saved_(forcedChunk) {
  forcedChunk = std::max<std::uint64_t>(candidates, 1);
}
ScopedChunkCandidates::~ScopedChunkCandidates() { forcedChunk = saved_; }

bool splitPays(std::uint64_t last) {
  return last >= kMinSplitChunks * chunkCandidates() && workerThreadCount() > 1;
}

TrialOutcome parallelTrialDivide(uint128 n, double bound, double& shownPercent, TrialProgress& progress,
                                 EventPump& events) {
  const std::uint64_t last = lastCandidateIndex(bound);
  const std::uint64_t chunk = chunkCandidates();
  PercentSteps steps(bound, last, shownPercent, progress);
  const auto finish = [&](std::uint64_t hit) -> TrialOutcome {
    const std::uint64_t index = hit == 0 ? last : hit;
    steps.writeThrough(index);
    return {hit == 0 ? 0 : candidateAt(hit), index};
  };

  const std::uint64_t passChunk = std::max<std::uint64_t>(1, chunk / kPassesPerChunk);
  const auto pass = [&](std::uint64_t) { events.processEvents(); };

  // The first chunk alone: most composites end here, before any fork. It
  // holds 5, 7, 11 and 13, so past it no candidate that a kernel may skip
  // divides n, and any later piece of the run is tested exactly.
  const std::uint64_t firstTo = std::min(last, chunk);
  const std::uint64_t firstHit = firstHitInChunks(n, 1, firstTo, passChunk, [&](std::uint64_t to) {
    steps.writeThrough(to);
    events.processEvents();
  });
  if (firstHit != 0) return finish(firstHit);
  steps.writeThrough(firstTo);
  if (firstTo == last) return finish(0);
  events.processEvents();

  const auto threads = static_cast<std::uint64_t>(workerThreadCount());
  const std::uint64_t blockChunks = kChunksPerThreadInBlock * threads;
  const auto done = std::make_unique<std::atomic<bool>[]>(blockChunks);
  std::atomic<std::uint64_t> best{kNoHit};
  const std::thread::id windowThread = std::this_thread::get_id();

  for (std::uint64_t from = firstTo + 1; from <= last && best.load(std::memory_order_relaxed) == kNoHit;) {
    const std::uint64_t chunks = std::min(blockChunks, (last - from) / chunk + 1);
    for (std::uint64_t c = 0; c < chunks; ++c) done[c].store(false, std::memory_order_relaxed);
    std::uint64_t frontier = 0;  // chunks of this block known to hold no divisor

    ForkJoinNotes notes;
    const auto body = [&](const tbb::blocked_range<std::uint64_t>& range) {
      for (std::uint64_t c = range.begin(); c != range.end(); ++c) {
        const std::uint64_t lo = from + c * chunk;
        const std::uint64_t hi = std::min(last, lo + chunk - 1);
        const bool onWindow = std::this_thread::get_id() == windowThread;
        // A chunk above a known hit cannot hold the smallest one.
        if (lo < best.load(std::memory_order_relaxed)) {
          const std::uint64_t hit =
              onWindow ? firstHitInChunks(n, lo, hi, passChunk, pass) : firstDividingIndex(n, lo, hi);
          if (hit != 0) lowerTo(best, hit);
        }
        done[c].store(true, std::memory_order_release);
        if (!onWindow) {
          if (c + 1 == range.end()) notes.taskEnds();
          continue;
        }
        // Only the window's thread writes the progress and runs passes.
        while (frontier < chunks && done[frontier].load(std::memory_order_acquire) &&
               best.load(std::memory_order_relaxed) > std::min(last, from + (frontier + 1) * chunk - 1))
          ++frontier;
        steps.writeThrough(from + frontier * chunk - 1);
        if (c + 1 == range.end()) notes.taskEnds();
        events.processEvents();
      }
    };
    notes.forking();
    {
      // A pass that throws ends the block; oneTBB rethrows once the workers
      // have left their chunks.
      const JoinedScope joined(notes);
      runWithWorkers([&] {
        tbb::parallel_for(tbb::blocked_range<std::uint64_t>(0, chunks, 1), NotedBody(body, notes),
                          tbb::simple_partitioner());
      });
    }
    from += chunks * chunk;
    if (best.load(std::memory_order_relaxed) == kNoHit) steps.writeThrough(std::min(last, from - 1));
  }
  const std::uint64_t hit = best.load(std::memory_order_relaxed);
  return finish(hit == kNoHit ? 0 : hit);
}

void firstHitsOfOddNumbers(uint128 first, std::span<std::uint64_t> hits, EventPump& events) {
  const std::uint64_t chunk = chunkCandidates();
  const bool passes = events.passesByClock();
  const std::thread::id windowThread = std::this_thread::get_id();
  ForkJoinNotes notes;
  const auto body = [&](const tbb::blocked_range<std::size_t>& range) {
    const bool onWindow = passes && std::this_thread::get_id() == windowThread;
    for (std::size_t k = range.begin(); k != range.end(); ++k) {
      const uint128 m = first + 2 * static_cast<uint128>(k);
      const std::uint64_t last = lastCandidateIndex(squareRootBound(m));
      hits[k] = firstHitInChunks(m, 1, last, chunk, [&](std::uint64_t) {
        if (onWindow) events.processEvents();
      });
      if (k + 1 == range.end()) notes.taskEnds();
      if (onWindow) events.processEvents();
    }
  };
  notes.forking();
  const JoinedScope joined(notes);
  runWithWorkers([&] {
    tbb::parallel_for(tbb::blocked_range<std::size_t>(0, hits.size(), kNumbersPerTask), NotedBody(body, notes),
                      tbb::simple_partitioner());
  });
}

}  // namespace teilomat
