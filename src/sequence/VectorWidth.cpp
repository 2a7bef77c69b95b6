#include "sequence/VectorWidth.h"

namespace horgrid {

bool VectorWidthSupported(VectorWidth width) {
    switch (width) {
        case VectorWidth::Portable:
            return true;
#if defined(__x86_64__) || defined(__i386__)
        case VectorWidth::Avx2:
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
        case VectorWidth::Avx512:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("popcnt");
        case VectorWidth::Avx512Vbmi2:
            return VectorWidthSupported(VectorWidth::Avx512) && __builtin_cpu_supports("avx512vbmi2");
#else
        case VectorWidth::Avx2:
        case VectorWidth::Avx512:
        case VectorWidth::Avx512Vbmi2:
            return false;
#endif
    }
    return false;
}

VectorWidth BestVectorWidth() {
    if (VectorWidthSupported(VectorWidth::Avx512Vbmi2)) return VectorWidth::Avx512Vbmi2;
    if (VectorWidthSupported(VectorWidth::Avx512)) return VectorWidth::Avx512;
    if (VectorWidthSupported(VectorWidth::Avx2)) return VectorWidth::Avx2;
    return VectorWidth::Portable;
}

std::vector<VectorWidth> SupportedVectorWidths() {
    std::vector<VectorWidth> widths;
    for (const VectorWidth width :
         {VectorWidth::Portable, VectorWidth::Avx2, VectorWidth::Avx512, VectorWidth::Avx512Vbmi2}) {
        if (VectorWidthSupported(width)) widths.push_back(width);
    }
    return widths;
}

std::string_view VectorWidthName(VectorWidth width) {
    switch (width) {
        case VectorWidth::Portable:
            return "portable";
        case VectorWidth::Avx2:
            return "AVX2";
        case VectorWidth::Avx512:
            return "AVX-512";
        case VectorWidth::Avx512Vbmi2:
            return "AVX-512 VBMI2";
    }
    return "unknown";
}

}  // namespace horgrid
