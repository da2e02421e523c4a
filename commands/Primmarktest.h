// The Primmarktest's fixed texts and its timed workload, shared by the command, tests and benchmarks.
#pragma once

#include <cstdint>
#include <string>

#include "commands/OutputSurface.h"
#include "commands/PlatformServices.h"

namespace teilomat {

// The prompt of the clock input box: 949 characters (code points) on one
// line; the blank runs of 86, 153 and 106 separate its paragraphs when the
// box wraps the text.
const std::string& primmarktestPrompt();
inline constexpr int kPrimmarktestPromptLeftTwips = 100;
inline constexpr int kPrimmarktestPromptTopTwips = 100;

// The benchmark's fixed number, a 15-digit prime held exactly by a double.
inline constexpr double kPrimmarktestNumber = 999999999999989.0;
// Candidates the workload tests: 3, 5, 7, 11, ... up to 31622779, the first
// one beyond the bound 31622777.
inline constexpr std::uint64_t kPrimmarktestCandidates = 10540927;

// The timed workload: the trial division of the fixed number in doubles over
// the candidates 3, 5, 7, 11, 13, ... up to the first one beyond the bound.
// Per candidate: the percent (bound / d, then 100 / that, truncated), the
// progress caption when that percent changes (1 to 100, each once), q = n / d,
// one offer of an event pass, and the test q == Fix(q). Every step is
// evaluated for every candidate; that mix is what the score measures, so
// nothing here is found ahead or batched. Returns the count of candidates
// tested (kPrimmarktestCandidates unless a divisor were found). The percent
// last shown is kept in `shownPercent` when given, also when Esc ends the run.
// Cost: about 10.5 million double divisions of each kind, 100 caption writes.
std::uint64_t runPrimmarktestWorkload(OutputSurface& out, PlatformServices& services, double* shownPercent = nullptr);

}  // namespace teilomat
