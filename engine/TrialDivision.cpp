// The trial-division engine's front: the run split over the workers, or one kernel call per stretch between passes.
#include "engine/TrialDivision.h"

#include "engine/ParallelSearch.h"
#include "engine/TrialSteps.h"
#include "engine/kernels/DivisorKernels.h"

namespace teilomat {

TrialOutcome trialDivide(const TrialRun& run) {
  if (run.events.passesByClock() && splitPays(run.lastIndex())) return parallelTrialDivide(run);
  return walkCandidates(run,
                        [n = run.n](std::uint64_t from, std::uint64_t to) { return firstDividingIndex(n, from, to); });
}

}  // namespace teilomat
