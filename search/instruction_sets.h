// The instruction sets the search has kernels for, and which of them this processor runs.
// The one place that asks the processor: every kernel family (one pattern, one pattern with
// wildcards, a set) chooses from the same answer, so they never disagree.
#pragma once

#include <vector>

namespace vantrel {

// In order of preference: a later one is faster where the processor runs it.
enum class InstructionSet { kPortable, kSse2, kSsse3, kAvx2 };

// Every set this build has kernels for and this processor runs, the portable loops first and
// the best last.
std::vector<InstructionSet> AvailableInstructionSets();

// The last of AvailableInstructionSets(): what the search uses unless told otherwise.
InstructionSet BestInstructionSet();

// Whether set is among AvailableInstructionSets().
bool Available(InstructionSet set);

// A kernel family's kernel for set: its AVX2 one, else its SSE2 one (also below AVX2 when
// SSSE3 is there: a family without an SSSE3 kernel takes its SSE2 one), else the portable one.
// A kernel this build lacks is passed as nullptr.
template <class Kernel>
Kernel ChooseKernel(InstructionSet set, Kernel portable, Kernel sse2, Kernel avx2) {
  if (set == InstructionSet::kAvx2 && avx2 != nullptr) return avx2;
  if (set >= InstructionSet::kSse2 && sse2 != nullptr) return sse2;
  return portable;
}

}  // namespace vantrel
