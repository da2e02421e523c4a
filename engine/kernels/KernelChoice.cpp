// Which divisibility kernel runs (the processor's best, or the one TEILOMAT_KERNEL names), and the call to it.
#include <atomic>
#include <cstdlib>
#include <iostream>

#include "engine/kernels/DivisorKernels.h"

namespace teilomat {
namespace {

const DivisorKernel* initialKernel() {
  std::string warning;
  const DivisorKernel& kernel = kernelForRequest(std::getenv("TEILOMAT_KERNEL"), warning);
  if (!warning.empty()) std::cerr << "teilomat: " << warning << '\n';
  return &kernel;
}

// Made once, on first use (a thread-safe static), and changed only by
// forceKernel(); atomic, since dividing threads read it.
std::atomic<const DivisorKernel*>& currentKernel() {
  static std::atomic<const DivisorKernel*> kernel{initialKernel()};
  return kernel;
}

// "scalar, avx2, …": every name, for the warning about an unknown one.
std::string allNames() {
  std::string names;
  for (const DivisorKernel& kernel : divisorKernels()) names += (names.empty() ? "" : ", ") + std::string(kernel.name);
  return names;
}

}  // namespace

const DivisorKernel* kernelNamed(std::string_view name) {
  for (const DivisorKernel& kernel : divisorKernels())
    if (name == kernel.name) return &kernel;
  return nullptr;
}

const DivisorKernel& bestKernel() {
  const DivisorKernel* best = nullptr;
  for (const DivisorKernel& kernel : divisorKernels())
    if (kernel.rank > 0 && (best == nullptr || kernel.rank > best->rank) && kernel.supported()) best = &kernel;
  return *best;  // never null: the scalar kernel runs everywhere
}

const DivisorKernel& kernelForRequest(const char* request, std::string& warning) {
  warning.clear();
  if (request == nullptr || *request == '\0') return bestKernel();
  const DivisorKernel* named = kernelNamed(request);
  if (named == nullptr) {
    warning =
        std::string("TEILOMAT_KERNEL=") + request + " is unknown (" + allNames() + "); using " + bestKernel().name;
    return bestKernel();
  }
  if (!named->supported()) {
    warning =
        std::string("TEILOMAT_KERNEL=") + request + " is not supported by this processor; using " + bestKernel().name;
    return bestKernel();
  }
  return *named;
}

const DivisorKernel& activeKernel() { return *currentKernel().load(std::memory_order_relaxed); }

std::uint64_t firstDividingIndex(uint128 n, std::uint64_t from, std::uint64_t to) {
  return activeKernel().entry(n, from, to);
}

bool forceKernel(const DivisorKernel& kernel) {
  if (!kernel.supported()) return false;
  currentKernel().store(&kernel, std::memory_order_relaxed);
  return true;
}

}  // namespace teilomat
