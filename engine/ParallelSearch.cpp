// Trial division on every worker thread: blocks of chunks with a smallest hit, and batches of short runs.
#include "engine/ParallelSearch.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <memory>
#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/partitioner.h>
#include <thread>

#include "engine/SquareRootBound.h"
#include "engine/ThreadSanitizerHints.h"
#include "engine/TrialSteps.h"
#include "engine/WorkerThreads.h"
#include "engine/kernels/DivisorKernels.h"

namespace teilomat {
namespace {

constexpr std::uint64_t kNoHit = std::numeric_limits<std::uint64_t>::max();
// Chunks per thread in one block: the join at a block's end leaves each
// thread idle for half a chunk on average, about 1.5 % of a block.
constexpr std::uint64_t kChunksPerThreadInBlock = 32;
// A run is split only when it has at least this many chunks.
constexpr std::uint64_t kMinSplitChunks = 16;
// Odd numbers per task of a batch: most are composites that take a few
// divisions, so single numbers would cost more to hand out than to divide.
constexpr std::size_t kNumbersPerTask = 4;
// The window's thread passes this many times per chunk: a pass of a clock
// pump that is not due costs a clock read, and the window answers sooner.
constexpr std::uint64_t kPassesPerChunk = 16;
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

// Runs body(range) over `range` on every worker thread, the calling thread
// included, in tasks of the range's grain; ThreadSanitizer is told of the
// fork and the join. An exception propagates once every task has ended.
template <class Index, class Body>
void forEachOnWorkers(const tbb::blocked_range<Index>& range, const Body& body) {
  ForkJoinNotes notes;
  notes.forking();
  const JoinedScope joined(notes);
  runWithWorkers([&] { tbb::parallel_for(range, NotedBody(body, notes), tbb::simple_partitioner()); });
}

// One trial division split over the worker threads, in three steps: the
// first chunk alone on the window's thread, then blocks of chunks on every
// thread until a block holds a divisor or the last candidate is passed,
// then the outcome with the percent steps through it. Only the window's
// thread writes percent steps and runs event passes.
class SplitTrialDivision {
 public:
  explicit SplitTrialDivision(const TrialRun& run)
      : n_(run.n),
        last_(run.lastIndex()),
        chunk_(chunkCandidates()),
        passChunk_(std::max<std::uint64_t>(1, chunk_ / kPassesPerChunk)),
        blockChunks_(kChunksPerThreadInBlock * static_cast<std::uint64_t>(workerThreadCount())),
        steps_(run),
        events_(run.events) {}

  TrialOutcome run() {
    const std::uint64_t firstTo = std::min(last_, chunk_);
    if (const std::uint64_t hit = firstChunk(firstTo)) return outcome(hit);
    if (firstTo == last_) return outcome(0);
    events_.processEvents();
    for (std::uint64_t from = firstTo + 1; from <= last_ && !hitFound();) from = block(from);
    return outcome(hitFound() ? best_.load(std::memory_order_relaxed) : 0);
  }

 private:
  // Candidates 1 to `to` on the window's thread, passing and writing the
  // percent steps between pieces: most composites end here, before any
  // fork. It holds 5, 7, 11 and 13, so past it no candidate that a kernel
  // may skip divides n, and any later piece of the run is tested exactly.
  std::uint64_t firstChunk(std::uint64_t to) {
    const std::uint64_t hit = firstHitInChunks(n_, 1, to, passChunk_, [&](std::uint64_t passed) {
      steps_.writeThrough(passed);
      events_.processEvents();
    });
    if (hit == 0) steps_.writeThrough(to);
    return hit;
  }

  // The chunks of one block from candidate `from`, on every thread; returns
  // the candidate after the block. A pass that throws ends the block, and
  // the exception propagates once the workers have left their chunks.
  std::uint64_t block(std::uint64_t from) {
    from_ = from;
    chunks_ = std::min(blockChunks_, (last_ - from) / chunk_ + 1);
    for (std::uint64_t c = 0; c < chunks_; ++c) done_[c].store(false, std::memory_order_relaxed);
    frontier_ = 0;
    forEachOnWorkers(tbb::blocked_range<std::uint64_t>(0, chunks_, 1),
                     [this](const tbb::blocked_range<std::uint64_t>& range) { chunkWork(range); });
    const std::uint64_t next = from + chunks_ * chunk_;
    if (!hitFound()) steps_.writeThrough(std::min(last_, next - 1));
    return next;
  }

  // One task's chunks: each divided, then on the window's thread the
  // progress written and an event pass.
  void chunkWork(const tbb::blocked_range<std::uint64_t>& range) {
    const bool onWindow = std::this_thread::get_id() == windowThread_;
    for (std::uint64_t c = range.begin(); c != range.end(); ++c) {
      divideChunk(c, onWindow);
      if (!onWindow) continue;
      writeProgress();
      events_.processEvents();
    }
  }

  // Chunk c, unless it lies above a known hit and cannot hold the smallest
  // one; the window's thread passes between its pieces.
  void divideChunk(std::uint64_t c, bool onWindow) {
    const std::uint64_t lo = from_ + c * chunk_;
    const std::uint64_t hi = std::min(last_, lo + chunk_ - 1);
    if (lo < best_.load(std::memory_order_relaxed)) {
      const std::uint64_t hit =
          onWindow ? firstHitInChunks(n_, lo, hi, passChunk_, [this](std::uint64_t) { events_.processEvents(); })
                   : firstDividingIndex(n_, lo, hi);
      if (hit != 0) lowerTo(best_, hit);
    }
    done_[c].store(true, std::memory_order_release);
  }

  // The percent steps up to the end of the block's leading chunks that are
  // done and lie below every hit known.
  void writeProgress() {
    while (frontier_ < chunks_ && done_[frontier_].load(std::memory_order_acquire) &&
           best_.load(std::memory_order_relaxed) > std::min(last_, from_ + (frontier_ + 1) * chunk_ - 1))
      ++frontier_;
    steps_.writeThrough(from_ + frontier_ * chunk_ - 1);
  }

  bool hitFound() const { return best_.load(std::memory_order_relaxed) != kNoHit; }

  TrialOutcome outcome(std::uint64_t hit) {
    const std::uint64_t index = hit == 0 ? last_ : hit;
    steps_.writeThrough(index);
    return {hit == 0 ? 0 : candidateAt(hit), index};
  }

  const uint128 n_;
  const std::uint64_t last_;
  const std::uint64_t chunk_;
  const std::uint64_t passChunk_;    // candidates between the window thread's passes
  const std::uint64_t blockChunks_;  // chunks of a full block
  PercentSteps steps_;
  EventPump& events_;
  const std::thread::id windowThread_ = std::this_thread::get_id();
  const std::unique_ptr<std::atomic<bool>[]> done_ = std::make_unique<std::atomic<bool>[]>(blockChunks_);
  std::atomic<std::uint64_t> best_{kNoHit};  // the smallest dividing index found
  // The block under way: its first candidate, its chunks, and how many of
  // its leading chunks are known to hold no divisor.
  std::uint64_t from_ = 0;
  std::uint64_t chunks_ = 0;
  std::uint64_t frontier_ = 0;
};

}  // namespace

std::uint64_t chunkCandidates() {
  if (forcedChunk != 0) return forcedChunk;
  return activeKernel().chunkCandidates;
}

ScopedChunkCandidates::ScopedChunkCandidates(std::uint64_t candidates) : saved_(forcedChunk) {
  forcedChunk = std::max<std::uint64_t>(candidates, 1);
}
ScopedChunkCandidates::~ScopedChunkCandidates() { forcedChunk = saved_; }

bool splitPays(std::uint64_t last) { return last >= kMinSplitChunks * chunkCandidates() && workerThreadCount() > 1; }

TrialOutcome parallelTrialDivide(const TrialRun& run) { return SplitTrialDivision(run).run(); }

void firstHitsOfOddNumbers(uint128 first, std::span<std::uint64_t> hits, EventPump& events) {
  const std::uint64_t chunk = chunkCandidates();
  const bool passes = events.passesByClock();
  const std::thread::id windowThread = std::this_thread::get_id();
  const auto divideNumbers = [&](const tbb::blocked_range<std::size_t>& range) {
    const bool onWindow = passes && std::this_thread::get_id() == windowThread;
    for (std::size_t k = range.begin(); k != range.end(); ++k) {
      const uint128 m = first + 2 * static_cast<uint128>(k);
      const std::uint64_t last = lastCandidateIndex(squareRootBound(m));
      hits[k] = firstHitInChunks(m, 1, last, chunk, [&](std::uint64_t) {
        if (onWindow) events.processEvents();
      });
      if (onWindow) events.processEvents();
    }
  };
  forEachOnWorkers(tbb::blocked_range<std::size_t>(0, hits.size(), kNumbersPerTask), divideNumbers);
}

}  // namespace teilomat
