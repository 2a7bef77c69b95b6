#pragma once

// A fast filter that finds the alpha-satellite stretches of sequences of any
// length (whole chromosomes, whole assemblies), so that the exact
// decomposition runs only there. Pure: sequences in, stretches out.
//
// Rule. Every base position x ends a k-mer (the k bases x-k+1 ... x, all of
// them A, C, G or T in either case); it is a hit when that k-mer occurs in a
// reference monomer or its reverse complement (the references: the family
// consensus monomers and the HOR consensus monomers). A record is cut at its
// assembly gaps (runs of at least `assemblyGap` bytes other than ACGT) into
// pieces, and each piece into consecutive windows of `window` bases from its
// start (the last one shorter). A window is alpha when it has at least half a
// window of k-mers and at least `density` of them are hits. Alpha windows
// with non-alpha windows of less than `joinGap` bases between them form one
// run. A run's ends are then set to the base: its start is the first base of
// the hit k-mer x that maximises the sum of (hit - density) over the
// positions from x to the end of its first alpha window, x looked for there
// and in the window before; its end is the last base of the hit k-mer x that
// maximises that sum from the start of its last alpha window to x, looked for
// there and in the window after. Runs whose ends so set lie less than
// `joinGap` apart join. A stretch never crosses an assembly gap; stretches
// shorter than `minLength` are dropped.
//
// On the CHM13 chrY centromere region, windows of live HOR arrays have 85-95 %
// hits, monomeric alpha 15-80 %, random sequence, HSat3, bSat, SST1 and the
// composite repeats beside them below 4 % (k = 13 with both reference sets).
//
// Cost: one look-up per base in a table of the k-mers' last 11 bases (512 kB),
// a second one where the first one hits: the leading bases that occur before
// that tail, a mask per tail of the table found by its rank (about 2 MB in all
// for the built-in references with k = 13, instead of 4^k bits); memory that does not grow with the sequence (the
// scanner keeps five windows of hit bits).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/Bits.h"

namespace horgrid {

struct AlphaScanSettings {
    int k = 13;                     // k-mer length, 8 to 14
    std::int64_t window = 1000;     // window length in bases
    double density = 0.08;          // fraction of a window's k-mers that must be hits
    std::int64_t joinGap = 5000;    // alpha windows closer than this join
    std::int64_t minLength = 2000;  // shorter stretches are dropped
    std::int64_t assemblyGap = 10;  // a run of this many non-ACGT bytes cuts the record
};

// "" when the settings are usable, else the reason (k outside 8 to 14, a
// window below 64 bases, a density outside (0, 1], a negative length, an
// assembly gap below one base).
std::string AlphaScanSettingsError(const AlphaScanSettings& settings);

// One alpha-satellite stretch of a record: 0-based, half-open.
struct AlphaStretch {
    std::int64_t start = 0;
    std::int64_t end = 0;
    double density = 0;  // hits per k-mer over its windows, first to last alpha one
};

// The k-mers of the reference monomers, both strands. Throws
// std::invalid_argument for k outside 8 to 14 or no k-mer at all. Read-only
// once built: threads may share one table, each with its own scanner.
class AlphaKmerTable {
public:
    AlphaKmerTable(const std::vector<std::string>& references, int k);

    int K() const { return k_; }
    // Distinct k-mers in the table (a k-mer and its reverse complement count apart).
    std::size_t Size() const { return size_; }
    // Whether the k-mer with 2-bit code `code` (A=0, C=1, G=2, T=3, first base
    // highest) is in the table. Its last 11 bases are looked up first, in a
    // table small enough for the processor's second-level cache; most
    // k-mers of other sequence stop there.
    bool Contains(std::uint32_t code) const { return TailContains(code) && WholeContains(code); }
    // The two look-ups apart.
    bool TailContains(std::uint32_t code) const {
        const std::uint32_t tail = code & tailMask_;
        return (tails_[tail >> 6] >> (tail & 63)) & 1;
    }
    bool WholeContains(std::uint32_t code) const {
        const std::uint32_t tail = code & tailMask_;
        const std::uint64_t word = tails_[tail >> 6];
        const std::uint64_t present = (word >> (tail & 63)) & 1;
        const std::uint32_t rank = before_[tail >> 6] + SetBitsBelow(word, tail & 63);
        // A tail not in the table reads the mask of the next one (or the
        // spare one at the end) and is cleared by `present`.
        return (present & (leading_[rank] >> (code >> tailBits_))) & 1;
    }

private:
    int k_;
    std::size_t size_ = 0;
    std::uint32_t tailMask_ = 0;
    int tailBits_ = 0;                     // 2 * the tail's bases
    std::vector<std::uint64_t> tails_;     // every tail of a k-mer
    std::vector<std::uint32_t> before_;    // per word of tails_: the tails in the words before it
    std::vector<std::uint64_t> leading_;   // per tail, in code order: bit p for leading bases p; one spare
};

// Scans one record streamed in chunks of any size: Feed the chunks in order,
// then Finish, which returns the stretches not yet taken and makes the
// scanner ready for the next record (positions start at 0 again). Stretches
// that are complete (the scan has moved past their end by joinGap or an
// assembly gap) may be taken early with Take. The table must outlive the
// scanner. Throws std::invalid_argument on construction when
// AlphaScanSettingsError names a problem or the table's k differs.
class AlphaScanner {
public:
    AlphaScanner(const AlphaKmerTable& table, const AlphaScanSettings& settings);

    void Feed(std::string_view chunk);
    std::vector<AlphaStretch> Take();
    std::vector<AlphaStretch> Finish();
    // Bases fed since the start of the record.
    std::int64_t Position() const { return position_; }

private:
    struct Window {
        std::int64_t start = 0;
        std::int64_t end = 0;  // exclusive
        std::int64_t hits = 0;
        std::int64_t kmers = 0;
        std::vector<std::uint64_t> bits;  // bit x - start: position x is a hit
        bool alpha = false;
        bool present = false;
    };

    void NewWindow(std::int64_t at);
    void StartPiece(std::int64_t at);
    void EndPiece(std::int64_t at);
    void CompleteWindow();
    void Classify(Window window);
    void Close();
    void Flush();
    std::int64_t RefinedStart(const Window& first) const;
    std::int64_t RefinedEnd() const;

    const AlphaKmerTable& table_;
    AlphaScanSettings settings_;
    std::int64_t position_ = 0;
    std::uint32_t code_ = 0;
    int valid_ = 0;                // ACGT bases in a row up to here (at most k)
    std::int64_t invalidRun_ = 0;  // other bytes in a row up to here
    bool inGap_ = false;
    Window current_;   // the window being filled (present unless in a gap)
    Window previous_;  // the window before it in the piece
    Window last_;      // the last alpha window of the open stretch
    Window after_;     // the window after last_, once complete
    bool open_ = false;
    std::int64_t openStart_ = 0;
    std::int64_t stretchHits_ = 0;  // over the windows from first_ to last_
    std::int64_t stretchKmers_ = 0;
    std::int64_t pendingHits_ = 0;  // over the windows after last_
    std::int64_t pendingKmers_ = 0;
    // The last closed stretch, kept while a stretch opened later could still
    // join it.
    struct Held {
        std::int64_t start = 0;
        std::int64_t end = 0;
        std::int64_t hits = 0;
        std::int64_t kmers = 0;
        bool present = false;
    };
    Held held_;
    std::vector<AlphaStretch> found_;
};

// The whole record at once.
std::vector<AlphaStretch> FindAlphaStretches(std::string_view sequence, const AlphaKmerTable& table,
                                             const AlphaScanSettings& settings = {});

}  // namespace horgrid
