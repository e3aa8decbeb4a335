#include "search/instruction_sets.h"

namespace vantrel {

// The SSE2 and SSSE3 kernels are built wherever the compiler targets SSE2 (every x86-64
// build and the 32-bit one, whose floor is SSE2); the AVX2 kernels only for x86-64.
std::vector<InstructionSet> AvailableInstructionSets() {
  std::vector<InstructionSet> sets = {InstructionSet::kPortable};
#if defined(__SSE2__)
  sets.push_back(InstructionSet::kSse2);
  if (__builtin_cpu_supports("ssse3") != 0) sets.push_back(InstructionSet::kSsse3);
#endif
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx2") != 0) sets.push_back(InstructionSet::kAvx2);
#endif
  return sets;
}

InstructionSet BestInstructionSet() { return AvailableInstructionSets().back(); }

bool Available(InstructionSet set) {
  for (const InstructionSet available : AvailableInstructionSets()) {
    if (available == set) return true;
  }
  return false;
}

}  // namespace vantrel
