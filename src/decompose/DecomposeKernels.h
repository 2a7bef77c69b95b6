#pragma once

// The row step of the decomposition DP, one per vector width. Internal to the
// decomposition; Decompose.h is the interface.
//
// Row i of the DP holds, for every monomer (both orientations) and every
// monomer position p, the best score of a decomposition of the first i record
// bases whose last, unfinished segment has aligned its bases to the monomer up
// to position p. Each cell is one 64-bit key: the score relative to a base line
// in the high 32 bits and the start of the unfinished segment in the low 32
// bits, so that one signed maximum picks the higher score and, among equal
// scores, the later start (the tie rule), and adding a score moves only the
// high half. The monomers lie one after the other in the row, each in the
// striped order of Farrar (2007): with V vectors of `lanes` cells for a
// monomer of length L (V = ceil(L / lanes)), position p lies in vector p % V,
// lane p / V, so the step from one position to the next is the step from one
// vector to the next, without moving lanes. Cells past the monomer's end
// (padding) score every base as a mismatch and flow into no real position;
// their values stay within the real ones' range, as every cell's does.
//
// The narrow kernels (AVX-512, AVX2) pack the same key into 32 bits
// (kNarrowStartBits of start, relative to an epoch the driver moves along the
// record, under the score), twice the cells per vector; the driver takes them
// when the scores fit and falls back to 64-bit keys (or the portable code)
// when a segment start falls out of their window.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace horgrid::decompose {

inline constexpr std::int64_t kNegative = -(std::int64_t{1} << 60);
inline constexpr int kWideStartBits = 32;
inline constexpr int kNarrowStartBits = 16;
// Below every real 32-bit key (whose scores stay within +-3 * 2^12, see
// Decompose.cpp), with room for the deletions of a monomer added to it.
inline constexpr std::int32_t kNarrowNegative = -(std::int32_t{3} << 29);

// A score as the high part of a key whose low `startBits` bits hold a start.
constexpr std::int64_t ScoreKey(std::int64_t score, int startBits = kWideStartBits) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(score) << startBits);
}

// Base codes: A, C, G, T in either case are 0 to 3, every other byte 4.
inline constexpr int kCodes = 5;
int BaseCode(unsigned char base);

struct Layout {
    std::size_t lanes = 1;
    std::size_t cells = 0;  // cells of the monomers, padding included
    // The row's length: the cells, then for the vector kernels one vector per
    // monomer of the deletion runs entering its lanes (see DecomposeRowBody.h).
    std::size_t rowLength = 0;
    std::vector<std::size_t> offset;   // first cell of each oriented monomer
    std::vector<std::size_t> length;   // its length
    std::vector<std::size_t> vectors;  // its vectors (V above)
    std::vector<std::size_t> last;     // the cell of its last position
    // profile[code * cells + cell]: ScoreKey of the match or mismatch score
    // of a record base of that code against the monomer base of the cell.
    std::vector<std::int64_t> profile;
    // laneRamp[m * lanes + k] = ScoreKey(deletion * k * vectors[m]): the
    // deletions before the first position of lane k (a segment that starts
    // at position p has deleted the p monomer bases before it).
    std::vector<std::int64_t> laneRamp;
    std::int64_t insertionKey = 0;
    std::int64_t deletionKey = 0;
    std::int64_t lowestKey = 0;  // the lower of the match and mismatch keys
    // The narrow kernels' form of the same (keys of kNarrowStartBits):
    // matchMask[code * cells / lanes + cell / lanes] has bit k set when lane k
    // of that vector is a match, so the profile is a bit per cell.
    std::vector<std::uint16_t> matchMask;
    // ...and as 32-bit keys laid out as `profile`, for kernels without masks.
    std::vector<std::int32_t> narrowProfile;
    std::vector<std::int32_t> narrowRamp;
    std::int32_t narrowInsertion = 0;
    std::int32_t narrowDeletion = 0;
    std::int32_t narrowMatch = 0;
    std::int32_t narrowMismatch = 0;
};

// The oriented monomers a row step computes: indices into the layout's
// monomers, ascending.
struct ActiveMonomers {
    const std::uint32_t* index = nullptr;
    std::size_t count = 0;
};

// Replaces row i-1 by row i in place for the active monomers; the cells of
// the others are left as they are (the cells of the monomers' last
// positions hold their final values; every other cell of a vector kernel's
// row is final once its monomer's carry vector is applied). profile: the
// layout's profile row of the code of record base i-1; startKey: the key of a
// segment that starts at that base (the best decomposition of the bases
// before it, and its position).
using RowKernel = void (*)(const Layout& layout, const ActiveMonomers& active, const std::int64_t* profile,
                           std::int64_t startKey, std::int64_t* row);

void RowPortable(const Layout& layout, const ActiveMonomers& active, const std::int64_t* profile,
                 std::int64_t startKey, std::int64_t* row);
#if defined(__x86_64__)
inline constexpr std::size_t kAvx512Lanes = 8;
void RowAvx512(const Layout& layout, const ActiveMonomers& active, const std::int64_t* profile,
               std::int64_t startKey, std::int64_t* row);
// The same with 32-bit keys, 16 lanes, and the layout's match masks of `code`.
inline constexpr std::size_t kAvx512NarrowLanes = 16;
void RowAvx512Narrow(const Layout& layout, const ActiveMonomers& active, int code, std::int32_t startKey,
                     std::int32_t* row);
// 32-bit keys in the eight lanes of AVX2, the layout's narrow profile of `code`.
inline constexpr std::size_t kAvx2Lanes = 8;
void RowAvx2(const Layout& layout, const ActiveMonomers& active, int code, std::int32_t startKey,
             std::int32_t* row);
#endif

}  // namespace horgrid::decompose
