#include "cli/version_text.h"

#include <vector>

#include "cli/help_text.h"
#include "search/search_kernels.h"
#include "search/teddy_finder.h"

namespace vantrel::cli {
namespace {

std::string Platform() {
#if defined(_WIN32)
  std::string os = "Windows";
#elif defined(__linux__)
  std::string os = "Linux";
#elif defined(__APPLE__)
  std::string os = "macOS";
#else
  std::string os = "POSIX";
#endif
#if defined(__x86_64__)
  return os + " x86-64";
#elif defined(__i386__)
  return os + " x86";
#elif defined(__aarch64__)
  return os + " arm64";
#else
  return os;
#endif
}

// The single-pattern kernel the search picks on this processor.
std::string SinglePatternKernel() {
  switch (BestInstructionSet()) {
    case InstructionSet::kAvx2:
      return "AVX2";
    case InstructionSet::kSse2:
    case InstructionSet::kSsse3:
      return "SSE2";
    case InstructionSet::kPortable:
      break;
  }
  return "portable";
}

// The set kernel the search picks (the best of those this processor runs, as the finder does).
std::string PatternSetKernel() {
  switch (TeddyFinder::AvailableKernels().back()) {
    case TeddyFinder::Kernel::kAvx2:
      return "AVX2 Teddy";
    case TeddyFinder::Kernel::kSsse3:
      return "SSSE3 Teddy";
    case TeddyFinder::Kernel::kSse2:
    case TeddyFinder::Kernel::kPortable:
      break;
  }
  return "portable Teddy";
}

}  // namespace

std::string VersionText() {
  return std::string(ProgramName()) + " " + std::string(Version()) + "\n" +  //
         "platform: " + Platform() + "\n" +                                     //
         "search kernels on this processor: " + SinglePatternKernel() + " (one pattern), " + PatternSetKernel() +
         " (pattern sets)\n";
}

}  // namespace vantrel::cli
