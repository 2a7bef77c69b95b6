#pragma once

#include <string_view>
#include <vector>

namespace horgrid {

// The instruction sets the batch edit distance has a kernel for. A batch group
// always holds eight sequences, one per 64-bit lane, which AVX-512 runs in one
// register, AVX2 in two and the portable code lane by lane. AVX-512 with VBMI2
// (Ice Lake and later) has a funnel shift that shortens the step.
enum class InstructionSet { Portable, Avx2, Avx512, Avx512Vbmi2 };

// Whether this processor and operating system run the given instruction set.
bool InstructionSetSupported(InstructionSet set);
// The fastest supported instruction set.
InstructionSet BestInstructionSet();
// Every supported instruction set, plainest first (Portable always among them).
std::vector<InstructionSet> SupportedInstructionSets();
// "portable", "AVX2", "AVX-512" or "AVX-512 VBMI2".
std::string_view InstructionSetName(InstructionSet set);

}  // namespace horgrid
