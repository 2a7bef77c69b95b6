#include "satellite/SatelliteScan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <stdexcept>
#include <utility>

#include "common/Bits.h"
#include "common/Parallel.h"
#include "data/EmbeddedData.h"
#include "decompose/Decompose.h"
#include "satellite/PeriodEnds.h"
#include "sequence/Kmers.h"

namespace horgrid {
namespace {

constexpr std::uint32_t kAmbiguous = std::numeric_limits<std::uint32_t>::max();

// The codes of the k-mers of `bases` (a circle when `circle`).
std::vector<std::uint32_t> Codes(const std::string& bases, int k, bool circle) {
    std::string text = bases;
    if (circle && !bases.empty()) {
        while (text.size() < static_cast<std::size_t>(k)) text += bases;
        text += text.substr(0, static_cast<std::size_t>(k - 1));
    }
    const std::uint32_t mask = (std::uint32_t{1} << (2 * k)) - 1;
    std::vector<std::uint32_t> codes;
    std::uint32_t code = 0;
    int valid = 0;
    for (const char c : text) {
        const std::uint32_t base = kBaseCodes[static_cast<unsigned char>(c)];
        if (base > 3) {
            valid = 0;
            continue;
        }
        code = ((code << 2) | base) & mask;
        if (++valid >= k) codes.push_back(code);
    }
    return codes;
}

// Calls enter(code) for the k-mer and each k-mer one substitution away that
// has more than two different bases (k-mers of at most two are left out:
// microsatellites), from the base counts.
template <typename Enter>
void WithNeighbours(std::uint32_t code, int k, bool neighbours, const Enter& enter) {
    std::array<int, 4> count{};
    for (int i = 0; i < k; ++i) ++count[(code >> (2 * i)) & 3];
    const int kinds = (count[0] > 0) + (count[1] > 0) + (count[2] > 0) + (count[3] > 0);
    if (kinds > 2) enter(code);
    if (!neighbours) return;
    for (int i = 0; i < k; ++i) {
        const std::uint32_t old = (code >> (2 * i)) & 3;
        for (std::uint32_t change = 1; change < 4; ++change) {
            if (kinds - (count[old] == 1) + (count[old ^ change] == 0) > 2) enter(code ^ (change << (2 * i)));
        }
    }
}

// The label of each reference: labels are numbered as first met, and a label
// is whole when all its references are.
std::vector<std::uint32_t> LabelReferences(const std::vector<SatelliteReference>& references,
                                           std::vector<std::string>& labels, std::vector<bool>& whole) {
    std::vector<std::uint32_t> labelOf;
    for (const SatelliteReference& reference : references) {
        auto at = std::find(labels.begin(), labels.end(), reference.label);
        if (at == labels.end()) {
            labels.push_back(reference.label);
            whole.push_back(true);
            at = labels.end() - 1;
        }
        const auto label = static_cast<std::size_t>(at - labels.begin());
        whole[label] = whole[label] && reference.whole;
        labelOf.push_back(static_cast<std::uint32_t>(label));
    }
    return labelOf;
}

// Calls enter(code, value) for each k-mer of the references' strands (and its
// neighbours, WithNeighbours), value being label * 4 + 1 (forward) or + 2
// (reverse); the same calls in the same order every time.
template <typename Enter>
void ForEachEntry(const std::vector<SatelliteReference>& references, const std::vector<std::uint32_t>& labelOf,
                  int k, const Enter& enter) {
    for (std::size_t r = 0; r < references.size(); ++r) {
        const SatelliteReference& reference = references[r];
        for (const bool reverse : {false, true}) {
            const std::string strand = reverse ? ReverseComplement(reference.sequence) : reference.sequence;
            const std::uint32_t value = labelOf[r] * 4 + (reverse ? 2 : 1);
            for (const std::uint32_t code : Codes(strand, k, !reference.whole)) {
                WithNeighbours(code, k, !reference.whole, [&](std::uint32_t entry) { enter(entry, value); });
            }
        }
    }
}

// A code's value with one more entry: a code of two labels takes kAmbiguous,
// of two strands of one label both strand bits.
std::uint32_t Merged(std::uint32_t held, std::uint32_t value) {
    if (held == SatelliteTable::kNoHit) return value;
    return held == kAmbiguous || (held >> 2) != (value >> 2) ? kAmbiguous : held | value;
}

// The entries are grouped by the high bits of their code (counted in one pass
// over the references, placed in a second), each kept as its code's low bits
// over its value: a group's codes span 2^kLowBits, and their values are merged
// in a table of that size, small enough for the first-level cache.
constexpr int kLowBits = 14;
constexpr std::uint32_t kLowMask = (std::uint32_t{1} << kLowBits) - 1;
constexpr std::size_t kMaxLabels = (std::size_t{1} << (32 - kLowBits - 2)) - 1;

struct EntryGroups {
    std::vector<std::uint32_t> entries;  // (code & kLowMask) << (32 - kLowBits) | value
    std::vector<std::size_t> starts;     // of each group in entries, and the end
};

EntryGroups GroupEntries(const std::vector<SatelliteReference>& references, const std::vector<std::uint32_t>& labelOf,
                         int k) {
    EntryGroups groups;
    std::vector<std::size_t> next((std::size_t{1} << (2 * k - kLowBits)) + 1, 0);
    ForEachEntry(references, labelOf, k, [&](std::uint32_t code, std::uint32_t) { ++next[(code >> kLowBits) + 1]; });
    for (std::size_t group = 1; group < next.size(); ++group) next[group] += next[group - 1];
    groups.starts = next;
    groups.entries.resize(next.back());
    ForEachEntry(references, labelOf, k, [&](std::uint32_t code, std::uint32_t value) {
        groups.entries[next[code >> kLowBits]++] = (code & kLowMask) << (32 - kLowBits) | value;
    });
    return groups;
}

// Appends to `at` the positions base + b of the set bits b of `word`, in
// order, and returns the new end. Most words of a table hold a few bits: the
// first four are written without a branch on their count.
std::uint32_t* SetBits(std::uint64_t word, std::uint32_t base, std::uint32_t* at) {
    for (int step = 0; step < 4; ++step) {
        // (The top bit keeps the count defined, and branch-free, for a word of no bit.)
        *at = base + static_cast<std::uint32_t>(std::countr_zero(word | std::uint64_t{1} << 63));
        at += word != 0;
        word &= word - 1;
    }
    for (; word != 0; word &= word - 1) *at++ = base + static_cast<std::uint32_t>(std::countr_zero(word));
    return at;
}

// Every code of an entry and not ambiguous as a bit of `bits` (4^k bits) and
// the number of such codes in the words before word w as blocks[w / kBlockWords]
// + before[w]; the values of those codes, in code order, take the place of the
// entries (a group's values are written where its entries or the ones before
// them were).
constexpr std::size_t kBlockWords = 1024;

void FillTable(EntryGroups& groups, std::vector<std::uint64_t>& bits, std::vector<std::uint32_t>& blocks,
               std::vector<std::uint16_t>& before) {
    constexpr std::size_t kGroupWords = std::size_t{1} << (kLowBits - 6);
    static_assert(kBlockWords % kGroupWords == 0 && (kBlockWords - 1) * 64 <= 0xffff);
    constexpr std::uint32_t kValueMask = (std::uint32_t{1} << (32 - kLowBits)) - 1;
    std::vector<std::uint32_t> held(std::size_t{1} << kLowBits, SatelliteTable::kNoHit);
    std::vector<std::uint32_t> codes((std::size_t{1} << kLowBits) + 4);  // a group's, in order
    std::vector<std::uint32_t>& entries = groups.entries;
    std::size_t written = 0;
    for (std::size_t group = 0; group + 1 < groups.starts.size(); ++group) {
        const std::size_t from = groups.starts[group], to = groups.starts[group + 1];
        std::uint64_t* words = bits.data() + group * kGroupWords;
        if (group * kGroupWords % kBlockWords == 0) blocks[group * kGroupWords / kBlockWords] = static_cast<std::uint32_t>(written);
        const std::uint32_t block = blocks[group * kGroupWords / kBlockWords];
        for (std::size_t e = from; e < to; ++e) {
            const std::uint32_t low = entries[e] >> (32 - kLowBits);
            words[low >> 6] |= std::uint64_t{1} << (low & 63);
            held[low] = Merged(held[low], entries[e] & kValueMask);
        }
        std::uint32_t* end = codes.data();
        for (std::size_t w = 0; w < kGroupWords && from < to; ++w)
            end = SetBits(words[w], static_cast<std::uint32_t>(64 * w), end);
        for (const std::uint32_t* code = codes.data(); code < end; ++code) {
            std::uint32_t& value = held[*code];
            if (value == kAmbiguous) {
                words[*code >> 6] &= ~(std::uint64_t{1} << (*code & 63));
            } else {
                entries[written++] = value;
            }
            value = SatelliteTable::kNoHit;
        }
        // The values before each word of the group, counted from its bits.
        std::uint32_t count = static_cast<std::uint32_t>(written);
        for (std::size_t w = kGroupWords; w-- > 0;) {
            count -= SetBitCount(words[w]);
            before[group * kGroupWords + w] = static_cast<std::uint16_t>(count - block);
        }
    }
    entries.resize(written);
}

// One window's class: the label with the most hits (kNone when it falls
// short), and that label's hits on the reference's strand minus the others.
struct WindowClass {
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::size_t label = kNoLabel;
    std::int64_t strand = 0;
    bool otherUnit = false;  // a class's hits, but the repeat of a longer unit (OfLongerUnit)
    static constexpr std::size_t kNoLabel = static_cast<std::size_t>(-1);
};

class PieceScanner {
public:
    PieceScanner(std::string_view sequence, const SatelliteTable& table, const SatelliteScanSettings& settings)
        : sequence_(sequence), table_(table), settings_(settings) {}

    // The classes of the piece [start, end)'s windows from the one that
    // starts at `from` (on the piece's window grid) up to `to`.
    std::vector<WindowClass> Windows(std::int64_t start, std::int64_t from, std::int64_t to) const;
    // The calls of the piece [start, end) (no assembly gap inside) from its
    // windows, appended.
    void Scan(std::int64_t start, const std::vector<WindowClass>& windows, std::vector<SatelliteCall>& calls) const;

private:
    // hit[x - from]: the k-mer ending at x (within [low, to)) is a hit of `label`.
    std::vector<bool> Hits(std::int64_t low, std::int64_t from, std::int64_t to, std::size_t label) const;
    double Density(std::size_t label) const {
        return table_.Whole(label) ? settings_.wholeDensity : settings_.density;
    }
    // A window of a class of short units only (HSat3's 5 bp) that repeats
    // better at a unit of several of them is another satellite's (HSat2's
    // 23-26 bp units of diverged CATTC-like pentamers share HSat3's k-mers).
    bool OfLongerUnit(std::size_t label, std::int64_t from, std::int64_t to) const {
        const std::vector<int>& periods = table_.Periods(label);
        if (periods.empty() || *std::max_element(periods.begin(), periods.end()) > kShortUnit) return false;
        return RepeatsAtLongerUnit(sequence_, from, to, *std::min_element(periods.begin(), periods.end()));
    }
    std::int64_t RefinedStart(std::int64_t low, std::int64_t from, std::int64_t to, std::size_t label) const;
    std::int64_t RefinedEnd(std::int64_t low, std::int64_t from, std::int64_t to, std::size_t label) const;

    std::string_view sequence_;
    const SatelliteTable& table_;
    const SatelliteScanSettings& settings_;
};

std::vector<WindowClass> PieceScanner::Windows(std::int64_t start, std::int64_t first, std::int64_t end) const {
    const int k = table_.K();
    const std::uint32_t mask = (std::uint32_t{1} << (2 * k)) - 1;
    const std::size_t labels = table_.Labels().size();
    std::vector<WindowClass> windows;
    std::vector<std::int64_t> hits(labels), strand(labels), continued(labels);
    std::uint32_t code = 0, previous = SatelliteTable::kNoHit;
    int valid = 0;
    // The k - 1 bases before the first window (within the piece) go into the
    // first k-mers as in a scan from the piece's start.
    for (std::int64_t x = std::max(start, first - k + 1); x < first; ++x) {
        const std::uint32_t base = kBaseCodes[static_cast<unsigned char>(sequence_[static_cast<std::size_t>(x)])];
        if (base > 3) {
            valid = 0;
            continue;
        }
        code = ((code << 2) | base) & mask;
        ++valid;
    }
    for (std::int64_t from = first; from < end; from += settings_.window) {
        const std::int64_t to = std::min(end, from + settings_.window);
        std::fill(hits.begin(), hits.end(), 0);
        std::fill(strand.begin(), strand.end(), 0);
        std::fill(continued.begin(), continued.end(), 0);
        previous = SatelliteTable::kNoHit;  // windows are classed alike in any part
        std::int64_t kmers = 0;
        for (std::int64_t x = from; x < to; ++x) {
            const std::uint32_t base = kBaseCodes[static_cast<unsigned char>(sequence_[static_cast<std::size_t>(x)])];
            if (base > 3) {
                valid = 0;
                previous = SatelliteTable::kNoHit;
                continue;
            }
            code = ((code << 2) | base) & mask;
            if (++valid < k) continue;
            ++kmers;
            const std::uint32_t found = table_.Find(code);
            const bool after = previous != SatelliteTable::kNoHit && (previous >> 2) == (found >> 2);
            previous = found;
            if (found == SatelliteTable::kNoHit) continue;
            ++hits[found >> 2];
            continued[found >> 2] += after;
            strand[found >> 2] += (found & 3) == 1 ? 1 : (found & 3) == 2 ? -1 : 0;
        }
        WindowClass window{from, to, WindowClass::kNoLabel, 0};
        const std::size_t best = static_cast<std::size_t>(std::max_element(hits.begin(), hits.end()) - hits.begin());
        const bool dense = kmers * 2 >= settings_.window && hits[best] > 0 &&
                           static_cast<double>(hits[best]) >= Density(best) * static_cast<double>(kmers) &&
                           static_cast<double>(continued[best]) >= settings_.copyRun * static_cast<double>(hits[best]);
        if (dense) window.otherUnit = OfLongerUnit(best, from, to);
        if (dense && !window.otherUnit) {
            window.label = best;
            window.strand = strand[best];
        }
        windows.push_back(window);
    }
    return windows;
}

std::vector<bool> PieceScanner::Hits(std::int64_t low, std::int64_t from, std::int64_t to,
                                     std::size_t label) const {
    const int k = table_.K();
    const std::uint32_t mask = (std::uint32_t{1} << (2 * k)) - 1;
    std::vector<bool> hit(static_cast<std::size_t>(to - from), false);
    std::uint32_t code = 0;
    int valid = 0;
    for (std::int64_t x = std::max(low, from - k + 1); x < to; ++x) {
        const std::uint32_t base = kBaseCodes[static_cast<unsigned char>(sequence_[static_cast<std::size_t>(x)])];
        if (base > 3) {
            valid = 0;
            continue;
        }
        code = ((code << 2) | base) & mask;
        if (++valid < k || x < from) continue;
        const std::uint32_t found = table_.Find(code);
        hit[static_cast<std::size_t>(x - from)] = found != SatelliteTable::kNoHit && (found >> 2) == label;
    }
    return hit;
}

std::int64_t PieceScanner::RefinedStart(std::int64_t low, std::int64_t from, std::int64_t to,
                                        std::size_t label) const {
    const std::vector<bool> hit = Hits(low, from, to, label);
    const double density = Density(label);
    double sum = 0, best = -std::numeric_limits<double>::infinity();
    std::int64_t bestAt = from;
    for (std::int64_t x = to - 1; x >= from; --x) {
        const bool h = hit[static_cast<std::size_t>(x - from)];
        sum += (h ? 1.0 : 0.0) - density;
        if (h && sum >= best) {
            best = sum;
            bestAt = x;
        }
    }
    return std::max(low, bestAt - table_.K() + 1);
}

std::int64_t PieceScanner::RefinedEnd(std::int64_t low, std::int64_t from, std::int64_t to,
                                      std::size_t label) const {
    const std::vector<bool> hit = Hits(low, from, to, label);
    const double density = Density(label);
    double sum = 0, best = -std::numeric_limits<double>::infinity();
    std::int64_t bestAt = to - 1;
    for (std::int64_t x = from; x < to; ++x) {
        const bool h = hit[static_cast<std::size_t>(x - from)];
        sum += (h ? 1.0 : 0.0) - density;
        if (h && sum >= best) {
            best = sum;
            bestAt = x;
        }
    }
    return bestAt + 1;
}

void PieceScanner::Scan(std::int64_t start, const std::vector<WindowClass>& windows,
                        std::vector<SatelliteCall>& calls) const {
    std::size_t first = 0, last = 0;
    std::int64_t strand = 0;
    bool open = false;
    const auto close = [&] {
        open = false;
        const std::size_t label = windows[first].label;
        // An end is looked for in the window beside the run too, unless that
        // one holds the repeat of a longer unit.
        const std::int64_t lowStart = first > 0 && !windows[first - 1].otherUnit ? windows[first - 1].start : windows[first].start;
        const std::int64_t highEnd = last + 1 < windows.size() && !windows[last + 1].otherUnit ? windows[last + 1].end : windows[last].end;
        SatelliteCall call;
        call.label = label;
        call.start = RefinedStart(start, lowStart, windows[first].end, label);
        call.end = std::max(call.start, RefinedEnd(start, windows[last].start, highEnd, label));
        call.reverse = strand < 0;
        if (call.end - call.start >= settings_.minLength) calls.push_back(call);
    };
    for (std::size_t w = 0; w < windows.size(); ++w) {
        const WindowClass& window = windows[w];
        if (window.label != WindowClass::kNoLabel) {
            if (open && window.label == windows[first].label &&
                window.start - windows[last].end < settings_.joinGap) {
                last = w;
                strand += window.strand;
                continue;
            }
            if (open) close();
            open = true;
            first = last = w;
            strand = window.strand;
        } else if (open && window.end - windows[last].end >= settings_.joinGap) {
            close();
        }
    }
    if (open) close();
}

}  // namespace

std::vector<SatelliteCall> FindSatellites(std::string_view sequence, const SatelliteTable& table,
                                          const SatelliteScanSettings& settings, unsigned threads) {
    const PieceScanner scanner(sequence, table, settings);
    // The pieces between assembly gaps, cut into parts of kPartWindows
    // windows for the threads.
    constexpr std::int64_t kPartWindows = 100;
    struct Part {
        std::size_t piece;
        std::int64_t from, to;
        std::vector<WindowClass> windows;
    };
    std::vector<std::pair<std::int64_t, std::int64_t>> pieces;
    std::vector<Part> parts;
    const auto n = static_cast<std::int64_t>(sequence.size());
    std::int64_t pieceStart = 0, run = 0;
    for (std::int64_t x = 0; x <= n; ++x) {
        const bool other = x < n && kBaseCodes[static_cast<unsigned char>(sequence[static_cast<std::size_t>(x)])] > 3;
        if (other) {
            ++run;
            continue;
        }
        if (run >= settings.assemblyGap || x == n) {
            const std::int64_t pieceEnd = x == n && run < settings.assemblyGap ? n : x - run;
            if (pieceEnd > pieceStart) {
                for (std::int64_t from = pieceStart; from < pieceEnd; from += kPartWindows * settings.window)
                    parts.push_back({pieces.size(), from, std::min(pieceEnd, from + kPartWindows * settings.window), {}});
                pieces.emplace_back(pieceStart, pieceEnd);
            }
            pieceStart = x;
        }
        run = 0;
    }
    ParallelFor(parts.size(), threads, [&](std::size_t p, unsigned) {
        parts[p].windows = scanner.Windows(pieces[parts[p].piece].first, parts[p].from, parts[p].to);
    });
    std::vector<SatelliteCall> calls;
    for (std::size_t p = 0, q = 0; p < parts.size(); p = q) {
        std::vector<WindowClass> windows;
        for (q = p; q < parts.size() && parts[q].piece == parts[p].piece; ++q)
            windows.insert(windows.end(), parts[q].windows.begin(), parts[q].windows.end());
        scanner.Scan(pieces[parts[p].piece].first, windows, calls);
    }
    // Refined ends of neighbouring runs may cross: the earlier one keeps the bases.
    std::vector<SatelliteCall> kept;
    for (SatelliteCall call : calls) {
        if (!kept.empty()) call.start = std::max(call.start, kept.back().end);
        if (call.end - call.start >= settings.minLength) kept.push_back(call);
    }
    return SetEndsByPeriod(sequence, std::move(kept), table);
}

std::vector<SatelliteReference> BuiltInSatelliteReferences() {
    std::vector<SatelliteReference> references;
    for (const MonomerType& unit : EmbeddedMonomerSet("cenSat.references.fa")) {
        references.push_back({unit.name.substr(0, unit.name.find('#')), unit.sequence, unit.name.ends_with(".exact")});
    }
    for (const MonomerType& unit : EmbeddedMonomerSet("rDNA.KY962518.1.fa.gz")) {
        references.push_back({"rDNA", unit.sequence, true});
    }
    return references;
}

SatelliteTable::SatelliteTable(const std::vector<SatelliteReference>& references, int k) : k_(k) {
    if (k < 8 || k > 14) throw std::invalid_argument("k must lie between 8 and 14");
    const std::vector<std::uint32_t> labelOf = LabelReferences(references, labels_, whole_);
    if (labels_.size() > kMaxLabels) throw std::invalid_argument("too many satellite labels");
    EntryGroups groups = GroupEntries(references, labelOf, k);
    if (groups.entries.empty()) throw std::invalid_argument("no satellite reference k-mer");
    periods_.resize(labels_.size());
    for (std::size_t r = 0; r < references.size(); ++r) {
        if (!references[r].sequence.empty()) periods_[labelOf[r]].push_back(static_cast<int>(references[r].sequence.size()));
    }
    bits_.assign((std::size_t{1} << (2 * k)) / 64, 0);
    blocks_.resize((bits_.size() + kBlockWords - 1) / kBlockWords);
    before_.resize(bits_.size());
    FillTable(groups, bits_, blocks_, before_);
    values_ = std::move(groups.entries);
}

std::uint32_t SatelliteTable::Find(std::uint32_t code) const {
    const std::uint64_t word = bits_[code >> 6];
    if (!((word >> (code & 63)) & 1)) return kNoHit;
    // The rank of the code among the table's codes: its value's index.
    return values_[blocks_[(code >> 6) / kBlockWords] + before_[code >> 6] +
                   SetBitsBelow(word, code & 63)];
}

}  // namespace horgrid
