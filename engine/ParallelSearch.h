// Trial division on every worker thread: one long run split into chunks, or many short runs side by side.
//
// The engine's own: trialDivide decides when a run is split, and
// SuccessiveTrialDivision when numbers are divided ahead.
#pragma once

#include <cstdint>
#include <span>

#include "engine/EventPump.h"
#include "engine/TrialRun.h"

namespace teilomat {

// Candidates per chunk of a split run: the active kernel's, from its row of
// the kernel table. With the kernels a processor chooses, a chunk is 0.05 to
// 0.15 ms of one thread's work, with the references up to 0.5 ms (avx2-full)
// and 2 ms (scalar-full), as measured beside the sizes in KernelTable.cpp:
// long enough that a task's cost (about a microsecond) vanishes; the window's
// thread passes events several times within each of its chunks.
std::uint64_t chunkCandidates();

// Sets the chunk size for the life of the scope (tests: many chunks in a
// short run) and restores the previous setting. Outside parallel work only.
class ScopedChunkCandidates {
 public:
  explicit ScopedChunkCandidates(std::uint64_t candidates);
  ~ScopedChunkCandidates();
  ScopedChunkCandidates(const ScopedChunkCandidates&) = delete;
  ScopedChunkCandidates& operator=(const ScopedChunkCandidates&) = delete;

 private:
  std::uint64_t saved_;
};

// Whether a trial division up to the candidate with index `last` is worth
// splitting: more than one worker thread and many chunks (a fork and join
// of a sleeping pool costs 15 to 25 microseconds).
bool splitPays(std::uint64_t last);

// trialDivide split over the worker threads, for a run whose pump passes by
// the clock. The first chunk runs on the window's thread (a small factor ends
// the run at once); the rest go in blocks of chunks to every thread, the
// window's thread included, which calls processEvents() several times in
// each of its chunks and writes the percent steps up to the last candidate
// known not to divide n. Workers skip chunks above the smallest hit known. The outcome,
// the percent steps and their order are those of the sequential loop. An
// exception from processEvents() cancels the block and propagates once the
// workers have left their chunks.
TrialOutcome parallelTrialDivide(const TrialRun& run);

// For the odd numbers first, first + 2, ... (hits.size() of them, every one
// odd, at least 5 and below 2^96) the index of the first candidate that
// divides each, or 0 when none up to its last candidate does: the outcomes
// of their trial divisions, computed on every worker thread. With a pump
// that passes by the clock the window's thread calls processEvents() between
// its numbers and between chunks of a long one; other pumps are not called.
// Exceptions from processEvents() propagate once the workers have stopped.
void firstHitsOfOddNumbers(uint128 first, std::span<std::uint64_t> hits, EventPump& events);

}  // namespace teilomat
