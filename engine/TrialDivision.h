// The trial-division engine's front: candidates 3, 5, 7, 11, 13, ... up to the first one past the bound.
#pragma once

#include "engine/TrialRun.h"

namespace teilomat {

// Runs the trial division as every command does: per candidate the percent
// (reported when it differs from the one shown), then one offer of an event
// pass, then the divisibility test. Event passes are found ahead, so that
// the stretches between them run as one kernel call, and the percent steps
// inside a stretch are reported after it in order (no pass comes between
// them): no allocation, no string, no DecimalNumber per candidate. Event
// passes may run nested commands; the engine keeps only its own locals.
//
// With a pump that passes by the clock, more than one worker thread and a
// long run, the candidates are split over the workers: the same outcome and
// percent steps, event passes between the window thread's chunks instead of
// by the countdown.
TrialOutcome trialDivide(const TrialRun& run);

}  // namespace teilomat
