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

}  // namespace vantrel
