#include "dotplot/WindowIdentity.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/Parallel.h"
#include "sequence/Kmers.h"

namespace horgrid {

namespace {

// A bijection of 64-bit words that spreads k-mer codes over the whole range,
// so a hash threshold keeps a fixed share of distinct k-mers.
std::uint64_t MixBits(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    x ^= x >> 31;
    return x;
}

// The sorted distinct kept hashes of the canonical k-mers of `bases`.
void SketchOne(std::string_view bases, std::size_t k, std::uint64_t threshold, std::vector<std::uint64_t>& out) {
    out.clear();
    const std::uint64_t mask = k >= 32 ? ~std::uint64_t{0} : (std::uint64_t{1} << (2 * k)) - 1;
    const unsigned topShift = static_cast<unsigned>(2 * (k - 1));
    std::uint64_t forward = 0, reverse = 0;
    std::size_t valid = 0;
    for (const char c : bases) {
        const int base = BaseCode(c);
        if (base < 0) {
            valid = 0;
            continue;
        }
        forward = ((forward << 2) | static_cast<std::uint64_t>(base)) & mask;
        reverse = (reverse >> 2) | (static_cast<std::uint64_t>(3 - base) << topShift);
        if (++valid < k) continue;
        const std::uint64_t hash = MixBits(std::min(forward, reverse));
        if (hash <= threshold) out.push_back(hash);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
}

// |A n B| of two sorted sets, without branches on the comparison.
std::size_t SharedCount(const std::uint64_t* a, std::size_t sizeA, const std::uint64_t* b, std::size_t sizeB) {
    std::size_t i = 0, j = 0, shared = 0;
    while (i < sizeA && j < sizeB) {
        const std::uint64_t x = a[i], y = b[j];
        shared += x == y;
        i += x <= y;
        j += y <= x;
    }
    return shared;
}

// A shorter window (the last of a sequence) is measured by the share of its
// own k-mers the other holds.
float PairValue(const WindowSketches& a, std::size_t i, const WindowSketches& b, std::size_t j, std::size_t k) {
    const std::size_t shared =
        SharedCount(a.hashes.data() + a.begins[i], a.size(i), b.hashes.data() + b.begins[j], b.size(j));
    const std::size_t lengthA = a.length(i), lengthB = b.length(j);
    const std::size_t sizeA = a.size(i), sizeB = b.size(j);
    if (lengthA == lengthB || sizeA == 0 || sizeB == 0)
        return static_cast<float>(SketchIdentity(shared, sizeA, sizeB, k));
    const std::size_t shorter = lengthA < lengthB ? sizeA : sizeB;
    return static_cast<float>(SketchIdentity(shared, shorter, shorter, k));
}

WindowMatrix EmptyMatrix(const WindowSketches& rows, const WindowSketches& columns, std::size_t lengthRows,
                         std::size_t lengthColumns) {
    WindowMatrix matrix;
    matrix.window = rows.window;
    matrix.rows = rows.count();
    matrix.columns = columns.count();
    matrix.lengthRows = lengthRows;
    matrix.lengthColumns = lengthColumns;
    matrix.identity.assign(matrix.rows * matrix.columns, 0.0f);
    return matrix;
}

}  // namespace

std::size_t WindowLength(std::size_t longest, const WindowSketchOptions& options) {
    const std::size_t windows = std::max<std::size_t>(options.windows, 1);
    const std::size_t length = options.window != 0 ? options.window : (longest + windows - 1) / windows;
    return std::max(length, 4 * options.k);
}

std::uint64_t SketchThreshold(std::size_t window, const WindowSketchOptions& options) {
    const std::size_t kmers = window > options.k ? window - options.k + 1 : 1;
    if (options.sketchSize >= kmers) return std::numeric_limits<std::uint64_t>::max();
    const long double share = static_cast<long double>(options.sketchSize) / static_cast<long double>(kmers);
    return static_cast<std::uint64_t>(share * 18446744073709551616.0L);
}

WindowSketches SketchWindows(std::string_view sequence, std::size_t window, std::size_t k, std::uint64_t threshold) {
    WindowSketches sketches;
    sketches.window = window;
    sketches.sequenceLength = sequence.size();
    const std::size_t count = (sequence.size() + window - 1) / window;
    std::vector<std::uint64_t> one;
    sketches.begins.push_back(0);
    for (std::size_t i = 0; i < count; ++i) {
        SketchOne(sequence.substr(i * window, window), k, threshold, one);
        sketches.hashes.insert(sketches.hashes.end(), one.begin(), one.end());
        sketches.begins.push_back(sketches.hashes.size());
    }
    return sketches;
}

double SketchIdentity(std::size_t shared, std::size_t sizeA, std::size_t sizeB, std::size_t k) {
    if (sizeA == 0 || sizeB == 0) return std::numeric_limits<double>::quiet_NaN();
    const double containment = static_cast<double>(shared) / static_cast<double>(std::max(sizeA, sizeB));
    return 100 * std::pow(containment, 1.0 / static_cast<double>(k));
}

WindowMatrix SelfWindowMatrix(std::string_view sequence, const WindowSketchOptions& options) {
    const std::size_t window = WindowLength(sequence.size(), options);
    const WindowSketches sketches = SketchWindows(sequence, window, options.k, SketchThreshold(window, options));
    WindowMatrix matrix = EmptyMatrix(sketches, sketches, sequence.size(), sequence.size());
    const std::size_t n = matrix.rows;
    // Row i computes the pairs (i, j >= i) and writes both mirror cells: every
    // cell has one writer.
    ParallelFor(n, options.threads, [&](std::size_t i, unsigned) {
        for (std::size_t j = i; j < n; ++j) {
            const float value = PairValue(sketches, i, sketches, j, options.k);
            matrix.identity[i * n + j] = value;
            matrix.identity[j * n + i] = value;
        }
    });
    return matrix;
}

WindowMatrix PairWindowMatrix(std::string_view columns, std::string_view rows, const WindowSketchOptions& options) {
    const std::size_t window = WindowLength(std::max(columns.size(), rows.size()), options);
    const std::uint64_t threshold = SketchThreshold(window, options);
    const WindowSketches a = SketchWindows(columns, window, options.k, threshold);
    const WindowSketches b = SketchWindows(rows, window, options.k, threshold);
    WindowMatrix matrix = EmptyMatrix(b, a, rows.size(), columns.size());
    ParallelFor(matrix.rows, options.threads, [&](std::size_t r, unsigned) {
        for (std::size_t c = 0; c < matrix.columns; ++c)
            matrix.identity[r * matrix.columns + c] = PairValue(b, r, a, c, options.k);
    });
    return matrix;
}

}  // namespace horgrid
