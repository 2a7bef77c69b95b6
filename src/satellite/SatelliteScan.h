#pragma once

// The satellite arrays other than alpha satellite (HSat1A, HSat3, bSat, gSat,
// the cenSat families, rDNA) of one sequence. Pure: bases in, labelled
// stretches out.
//
// References. Each class has one or more reference units, named by the class
// label (data/cenSat.references.fa: consensus monomers of tandem units, and
// the whole 45S rDNA unit). The table holds, for each tandem unit read as a
// circle, its k-mers and every k-mer one substitution away from them, both
// strands; for a whole unit (rDNA) only its own k-mers. A k-mer of two
// classes belongs to neither; k-mers of at most two different bases are left
// out (microsatellites of unique sequence).
//
// Rule. A record is cut at runs of at least `assemblyGap` bytes other than
// ACGT into pieces, each piece into windows of `window` bases from its start.
// A window with at least half a window of k-mers belongs to the class with the
// most hits when that class's hits reach `density` of its k-mers
// (`wholeDensity` for whole units) and at least `copyRun` of them follow a hit
// of the class at the k-mer before. Along a copy of a unit at identity q a
// hit is followed by one with a chance of about q or more (a k-mer within one
// substitution loses a base and gains one), and the density lets no copy
// below ~70 % through; a chance hit of the one-substitution neighbourhood is
// followed by one only when the next base happens to be the unit's, about a
// quarter to a half of the time by composition. The large tables of long
// units (SST1's 2.4-3.3 kb composites) reach the density by chance in some
// sequence, tandem arrays of other satellites included, hit by hit alone.
// Windows of one class with less than
// `joinGap` bases of other windows between them form one run (a window of
// another class ends it). A run's ends are set to the base where the sum of
// (hit - density) over the class's hits, from the end into the run, is
// highest, looked for in its end window and the window beside it. Runs
// shorter than `minLength` are dropped. Then each end moves outward while the
// sequence beyond it repeats at a period of the class (satellite/PeriodEnds.h).
// The strand is the one of most hits (hits on the reference's own strand count
// for +).
//
// Cost: one look-up per base in a bit table of the k-mers (4^k bits; a first
// look-up of their last 11 bases let half of all k-mers through, and its
// branch cost more than it saved), and a hit's value found by its rank in
// that table (a 16-bit count per 64 k-mers over a count per 65,536, and a
// popcount); memory per window, not
// per base.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>


namespace horgrid {

struct SatelliteReference {
    std::string label;     // "HSat3", "bSat", "cenSat(SST1)", "rDNA", ...
    std::string sequence;  // the unit, upper case
    bool whole = false;    // a whole repeat unit (no neighbours, not a circle)
};

// The built-in references: data/cenSat.references.fa (record names
// "LABEL#N") and the rDNA unit data/rDNA.KY962518.1.fa.gz.
std::vector<SatelliteReference> BuiltInSatelliteReferences();

struct SatelliteScanSettings {
    int k = 13;
    std::int64_t window = 1000;
    double density = 0.05;       // tandem units
    double wholeDensity = 0.3;   // whole units
    double copyRun = 0.6;        // share of a class's hits that follow a hit of it
    std::int64_t joinGap = 3000;
    std::int64_t minLength = 1000;
    std::int64_t assemblyGap = 10;
};

// One array: 0-based, half-open.
struct SatelliteCall {
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::size_t label = 0;  // index into SatelliteTable::Labels()
    bool reverse = false;
};

// The k-mers of the references with their class and strand. Read-only once
// built; threads may share it. Throws std::invalid_argument for k outside 8
// to 14 or no reference k-mer.
class SatelliteTable {
public:
    SatelliteTable(const std::vector<SatelliteReference>& references, int k);

    int K() const { return k_; }
    const std::vector<std::string>& Labels() const { return labels_; }
    bool Whole(std::size_t label) const { return whole_[label]; }
    // The lengths of the label's reference units.
    const std::vector<int>& Periods(std::size_t label) const { return periods_[label]; }
    // kNoHit, or the label index * 4 + 1 (forward) / + 2 (reverse) / + 3 (both).
    std::uint32_t Find(std::uint32_t code) const;
    static constexpr std::uint32_t kNoHit = 0;

private:
    int k_;
    std::vector<std::string> labels_;
    std::vector<bool> whole_;
    std::vector<std::vector<int>> periods_;
    std::vector<std::uint64_t> bits_;     // every k-mer of one label
    // The k-mers in the words of bits_ before word w: blocks_[w / 1024] +
    // before_[w] (those before it in its block of 1,024 words).
    std::vector<std::uint32_t> blocks_;
    std::vector<std::uint16_t> before_;
    std::vector<std::uint32_t> values_;   // the value of each k-mer of bits_, in code order
};

// The arrays of `sequence`, sorted, not overlapping; the windows are
// classed on `threads` threads (the same calls for every count).
std::vector<SatelliteCall> FindSatellites(std::string_view sequence, const SatelliteTable& table,
                                          const SatelliteScanSettings& settings = {}, unsigned threads = 1);

}  // namespace horgrid
