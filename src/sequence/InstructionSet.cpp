#include "sequence/InstructionSet.h"

namespace horgrid {

bool InstructionSetSupported(InstructionSet set) {
    switch (set) {
        case InstructionSet::Portable:
            return true;
#if defined(__x86_64__) || defined(__i386__)
        case InstructionSet::Avx2:
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
        case InstructionSet::Avx512:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("popcnt");
        case InstructionSet::Avx512Vbmi2:
            return InstructionSetSupported(InstructionSet::Avx512) && __builtin_cpu_supports("avx512vbmi2");
#else
        case InstructionSet::Avx2:
        case InstructionSet::Avx512:
        case InstructionSet::Avx512Vbmi2:
            return false;
#endif
    }
    return false;
}

InstructionSet BestInstructionSet() {
    for (const InstructionSet set :
         {InstructionSet::Avx512Vbmi2, InstructionSet::Avx512, InstructionSet::Avx2}) {
        if (InstructionSetSupported(set)) return set;
    }
    return InstructionSet::Portable;
}

std::vector<InstructionSet> SupportedInstructionSets() {
    std::vector<InstructionSet> sets;
    for (const InstructionSet set : {InstructionSet::Portable, InstructionSet::Avx2, InstructionSet::Avx512,
                                     InstructionSet::Avx512Vbmi2}) {
        if (InstructionSetSupported(set)) sets.push_back(set);
    }
    return sets;
}

std::string_view InstructionSetName(InstructionSet set) {
    switch (set) {
        case InstructionSet::Portable:
            return "portable";
        case InstructionSet::Avx2:
            return "AVX2";
        case InstructionSet::Avx512:
            return "AVX-512";
        case InstructionSet::Avx512Vbmi2:
            return "AVX-512 VBMI2";
    }
    return "unknown";
}

}  // namespace horgrid
