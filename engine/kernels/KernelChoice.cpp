// Which divisibility kernel runs (the processor's best, or the one TEILOMAT_KERNEL names), and the dispatch to it.
#include "engine/kernels/DivisorKernels.h"

#include <atomic>
#include <cstdlib>
#include <iostream>

namespace teilomat {
namespace {

KernelVariant initialKernel() {
  std::string warning;
  const KernelVariant variant = kernelForRequest(std::getenv("TEILOMAT_KERNEL"), warning);
  if (!warning.empty()) std::cerr << "teilomat: " << warning << '\n';
  return variant;
}

// Made once, on first use (a thread-safe static), and changed only by
// forceKernel(); atomic, since dividing threads read it.
std::atomic<KernelVariant>& currentKernel() {
  static std::atomic<KernelVariant> variant{initialKernel()};
  return variant;
}

constexpr KernelVariant kAllVariants[] = {
    KernelVariant::Scalar,     KernelVariant::Avx2, KernelVariant::Avx512,  KernelVariant::Avx2Full,
    KernelVariant::Avx512Full, KernelVariant::ScalarFull, KernelVariant::Neon, KernelVariant::NeonFull};

// "scalar, avx2, …": every name, for the warning about an unknown one.
std::string allNames() {
  std::string names;
  for (KernelVariant v : kAllVariants) names += (names.empty() ? "" : ", ") + std::string(kernelName(v));
  return names;
}

}  // namespace

const char* kernelName(KernelVariant variant) {
  switch (variant) {
    case KernelVariant::Avx512: return "avx512";
    case KernelVariant::Avx2: return "avx2";
    case KernelVariant::Avx512Full: return "avx512-full";
    case KernelVariant::Avx2Full: return "avx2-full";
    case KernelVariant::ScalarFull: return "scalar-full";
    case KernelVariant::Neon: return "neon";
    case KernelVariant::NeonFull: return "neon-full";
    case KernelVariant::Scalar: break;
  }
  return "scalar";
}

std::optional<KernelVariant> kernelNamed(std::string_view name) {
  for (KernelVariant v : kAllVariants)
    if (name == kernelName(v)) return v;
  return std::nullopt;
}

bool kernelSupported(KernelVariant variant) {
  if (variant == KernelVariant::Scalar || variant == KernelVariant::ScalarFull) return true;
#if defined(__x86_64__) && defined(__GNUC__)
  __builtin_cpu_init();
  switch (variant) {
    case KernelVariant::Avx512:
    case KernelVariant::Avx512Full:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
             __builtin_cpu_supports("avx512vl");
    case KernelVariant::Avx2:
    case KernelVariant::Avx2Full:
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    default:
      return false;
  }
#elif defined(__aarch64__)
  return variant == KernelVariant::Neon || variant == KernelVariant::NeonFull;
#else
  return false;
#endif
}

KernelVariant bestKernel() {
  if (kernelSupported(KernelVariant::Avx512)) return KernelVariant::Avx512;
  if (kernelSupported(KernelVariant::Avx2)) return KernelVariant::Avx2;
  if (kernelSupported(KernelVariant::Neon)) return KernelVariant::Neon;
  return KernelVariant::Scalar;
}

KernelVariant kernelForRequest(const char* request, std::string& warning) {
  warning.clear();
  if (request == nullptr || *request == '\0') return bestKernel();
  const std::optional<KernelVariant> named = kernelNamed(request);
  if (!named) {
    warning = std::string("TEILOMAT_KERNEL=") + request + " is unknown (" + allNames() + "); using " +
              kernelName(bestKernel());
    return bestKernel();
  }
  if (!kernelSupported(*named)) {
    warning = std::string("TEILOMAT_KERNEL=") + request +
              " is not supported by this processor; using " + kernelName(bestKernel());
    return bestKernel();
  }
  return *named;
}

KernelVariant activeKernel() { return currentKernel().load(std::memory_order_relaxed); }

std::uint64_t firstDividingIndex(uint128 n, std::uint64_t from, std::uint64_t to) {
  switch (activeKernel()) {
    case KernelVariant::Avx512: return firstDividingIndexAvx512(n, from, to);
    case KernelVariant::Avx2: return firstDividingIndexAvx2(n, from, to);
    case KernelVariant::Avx512Full: return firstDividingIndexAvx512Full(n, from, to);
    case KernelVariant::Avx2Full: return firstDividingIndexAvx2Full(n, from, to);
    case KernelVariant::Neon: return firstDividingIndexNeon(n, from, to);
    case KernelVariant::NeonFull: return firstDividingIndexNeonFull(n, from, to);
    case KernelVariant::ScalarFull: return firstDividingIndexScalarFull(n, from, to);
    case KernelVariant::Scalar: break;
  }
  return firstDividingIndexScalar(n, from, to);
}

bool forceKernel(KernelVariant variant) {
  if (!kernelSupported(variant)) return false;
  currentKernel().store(variant, std::memory_order_relaxed);
  return true;
}

// Where an instruction set cannot be built, kernelSupported() denies its
// kernels; these keep the names defined.
#if !(defined(__x86_64__) && defined(__GNUC__))
std::uint64_t firstDividingIndexAvx2(uint128 n, std::uint64_t from, std::uint64_t to) {
  return firstDividingIndexScalar(n, from, to);
}
std::uint64_t firstDividingIndexAvx512(uint128 n, std::uint64_t from, std::uint64_t to) {
  return firstDividingIndexScalar(n, from, to);
}
std::uint64_t firstDividingIndexAvx2Full(uint128 n, std::uint64_t from, std::uint64_t to) {
  return firstDividingIndexScalarFull(n, from, to);
}
std::uint64_t firstDividingIndexAvx512Full(uint128 n, std::uint64_t from, std::uint64_t to) {
  return firstDividingIndexScalarFull(n, from, to);
}
#endif
#if !defined(__aarch64__)
std::uint64_t firstDividingIndexNeon(uint128 n, std::uint64_t from, std::uint64_t to) {
  return firstDividingIndexScalar(n, from, to);
}
std::uint64_t firstDividingIndexNeonFull(uint128 n, std::uint64_t from, std::uint64_t to) {
  return firstDividingIndexScalarFull(n, from, to);
}
#endif

}  // namespace teilomat
