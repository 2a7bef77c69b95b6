#pragma once

#include <string_view>
#include <vector>

namespace horgrid {

// The vector instruction sets the batch edit distance can run on. Each lane is
// 64 bits wide; a batch group always holds eight sequences, which AVX-512 runs
// in one register, AVX2 in two and the portable code word by word. AVX-512
// with VBMI2 (Ice Lake and later) has a funnel shift that shortens the step.
enum class VectorWidth { Portable, Avx2, Avx512, Avx512Vbmi2 };

// Whether this processor and operating system run the given width.
bool VectorWidthSupported(VectorWidth width);
// The widest supported width.
VectorWidth BestVectorWidth();
// Every supported width, narrowest first (Portable always among them).
std::vector<VectorWidth> SupportedVectorWidths();
// "portable", "AVX2", "AVX-512" or "AVX-512 VBMI2".
std::string_view VectorWidthName(VectorWidth width);

}  // namespace horgrid
