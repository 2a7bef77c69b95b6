#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace horgrid {

// How sequence windows are sketched and compared.
struct WindowSketchOptions {
    std::size_t k = 21;            // k-mer length, 8 to 32
    std::size_t windows = 1000;    // windows along the longer sequence, when `window` is 0
    std::size_t window = 0;        // window length in bases; 0: from the length and `windows`
    std::size_t sketchSize = 1000; // k-mers a window's sketch aims at
    unsigned threads = 1;
};

// The window length used for sequences of which the longer has `longest`
// bases: options.window when set, else ceil(longest / options.windows), and
// never below 4 k.
std::size_t WindowLength(std::size_t longest, const WindowSketchOptions& options);

// The sketch of every window [i w, (i + 1) w) of a sequence: the distinct
// hashes of its canonical k-mers (a k-mer and its reverse complement are one)
// that lie wholly in the window, hold only A, C, G, T (either case) and whose
// hash is below `threshold` (a fixed fraction of all hashes, the same for
// every window: FracMinHash). Sorted ascending, window after window.
struct WindowSketches {
    std::size_t window = 0;
    std::size_t sequenceLength = 0;
    std::vector<std::uint64_t> hashes;
    std::vector<std::size_t> begins;  // window i is hashes[begins[i] .. begins[i + 1])

    std::size_t count() const { return begins.empty() ? 0 : begins.size() - 1; }
    std::size_t size(std::size_t i) const { return begins[i + 1] - begins[i]; }
    std::size_t length(std::size_t i) const { return std::min(window, sequenceLength - i * window); }
};

// The hash threshold that keeps about options.sketchSize k-mers of a window
// of `window` bases (every k-mer when the window holds fewer).
std::uint64_t SketchThreshold(std::size_t window, const WindowSketchOptions& options);

WindowSketches SketchWindows(std::string_view sequence, std::size_t window, std::size_t k,
                             std::uint64_t threshold);

// The estimated percent identity of two windows from their sketches A and B:
// the containment C = |A n B| / max(|A|, |B|) read as the share of k-mers an
// alignment of identity p leaves intact, p^k, so 100 C^(1/k); 0 when no
// k-mer is shared, NaN when either window has no k-mer.
double SketchIdentity(std::size_t shared, std::size_t sizeA, std::size_t sizeB, std::size_t k);

// The identity heat map of windows: rows are the windows of the second
// sequence (of the first in a self plot), columns those of the first;
// value(r, c) is SketchIdentity of row window r and column window c, where a
// window shorter than the other (the last of its sequence) counts its own
// sketch size for both: the share of its k-mers the longer one holds.
struct WindowMatrix {
    std::size_t window = 0;
    std::size_t rows = 0;
    std::size_t columns = 0;
    std::size_t lengthRows = 0;     // bases of the sequence along the rows
    std::size_t lengthColumns = 0;  // and along the columns
    std::vector<float> identity;    // rows * columns, row by row

    float at(std::size_t row, std::size_t column) const { return identity[row * columns + column]; }
};

// The self plot of one sequence: symmetric, each pair computed once. The
// result is the same for every thread count.
WindowMatrix SelfWindowMatrix(std::string_view sequence, const WindowSketchOptions& options);

// The comparative plot: columns are the windows of `columns`, rows those of
// `rows`, both in one window length (from the longer of the two).
WindowMatrix PairWindowMatrix(std::string_view columns, std::string_view rows, const WindowSketchOptions& options);

}  // namespace horgrid
