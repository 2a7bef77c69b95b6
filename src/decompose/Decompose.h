#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace horgrid {

// One monomer type of a monomer set, in its forward orientation.
struct MonomerType {
    std::string name;
    std::string sequence;
};

// Linear alignment scores: one value per match, mismatch, inserted base (in
// the record, not in the monomer) and deleted base (in the monomer, not in the
// record).
struct Scoring {
    int insertion = -1;
    int deletion = -1;
    int mismatch = -1;
    int match = 1;
};

// One segment of a decomposition.
struct Segment {
    std::int64_t start = 0;  // 0-based first base of the segment in the record
    std::int64_t end = 0;    // 0-based last base, inclusive
    std::size_t type = 0;    // index into the monomer set
    bool reverse = false;    // aligned to the reverse complement of the type
    std::int64_t score = 0;  // the segment's alignment score
    double identity = 0;     // 100 * matches / alignment columns
};

// The oriented types a decomposition may use over a stretch of a record:
// 2t for type t, 2t + 1 for its reverse complement, ascending, not empty. The
// stretch runs from the previous run's end (0 for the first) to `end`
// (exclusive); the last run's end is the record's length or beyond.
struct TypeRun {
    std::size_t end = 0;
    std::vector<std::uint32_t> oriented;
};

// The optimal decomposition of one record (pure: no files, no printing).
//
// The record is cut into consecutive non-empty segments that cover it; each is
// aligned globally to one whole monomer type, forward or reverse-complemented,
// with the first base of the segment aligned to a base of the monomer (leading
// and trailing monomer bases may be deleted, bases after the last aligned one
// are insertions). The sum of the segments' scores is the maximum. Bases
// compare case-insensitively; N and every byte other than ACGT match nothing.
//
// Ties: among the optimal decompositions the one whose last segment starts
// latest, then among those the one whose segment before it starts latest, and
// so on back to the first; a segment that can take several types at the same
// start takes the first type of the set, forward before reverse.
//
// A record of 1 Mb or more is spread over `threads` threads, with the same
// result for every thread count.
//
// With `runs`, the decomposition is the optimal one (ties as above) among
// those whose every segment's oriented type is allowed at each of the
// segment's bases; without, every type is allowed everywhere.
//
// Throws std::invalid_argument when DecomposeLimitError names a problem.
std::vector<Segment> Decompose(std::string_view sequence, const std::vector<MonomerType>& types,
                               const Scoring& scoring, unsigned threads = 1,
                               const std::vector<TypeRun>& runs = {});

// "" when Decompose takes a record of `length` bases with these types and
// scores, else the reason: a set without types, an empty monomer, a record of
// 2^32 bases or more, or scores so large that a monomer's score range (the sum
// of the four magnitudes times its length plus two) exceeds 2^27.
std::string DecomposeLimitError(const std::vector<MonomerType>& types, const Scoring& scoring,
                                std::size_t length = 0);

// The sum of the segments' scores.
std::int64_t TotalScore(const std::vector<Segment>& segments);

// The reverse complement with upper-case bases; every byte other than ACGT
// (either case) becomes N.
std::string ReverseComplement(std::string_view sequence);

}  // namespace horgrid
