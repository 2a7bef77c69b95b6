#include "infer/HorCopies.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace horgrid {
namespace {

// A run: monomers in HOR reading order.
using Run = std::vector<TypedMonomer>;

std::vector<Run> CutRuns(std::vector<TypedMonomer> monomers, std::int64_t maxGap) {
    std::sort(monomers.begin(), monomers.end(), [](const TypedMonomer& a, const TypedMonomer& b) {
        return a.record != b.record ? a.record < b.record : a.start < b.start;
    });
    std::vector<Run> runs;
    for (std::size_t i = 0; i < monomers.size(); ++i) {
        const bool joins = i > 0 && monomers[i].record == monomers[i - 1].record &&
                           monomers[i].reverse == monomers[i - 1].reverse &&
                           monomers[i].start - monomers[i - 1].end - 1 <= maxGap;
        if (!joins) runs.emplace_back();
        runs.back().push_back(monomers[i]);
    }
    for (Run& run : runs) {
        if (run.front().reverse) std::reverse(run.begin(), run.end());
    }
    return runs;
}

// Agreements per period: pairs of monomers `period` apart with one type.
std::vector<std::size_t> Agreements(const std::vector<Run>& runs, std::size_t maxUnit) {
    std::vector<std::size_t> agreements(maxUnit + 1, 0);
    for (const Run& run : runs) {
        for (std::size_t period = 1; period <= maxUnit && period < run.size(); ++period) {
            for (std::size_t i = 0; i + period < run.size(); ++i) {
                agreements[period] += run[i].type == run[i + period].type;
            }
        }
    }
    return agreements;
}

bool IsRotation(const std::vector<std::size_t>& a, const std::vector<std::size_t>& b) {
    for (std::size_t shift = 0; shift < a.size(); ++shift) {
        if (std::equal(a.begin() + shift, a.end(), b.begin()) &&
            std::equal(a.begin(), a.begin() + shift, b.end() - shift)) {
            return true;
        }
    }
    return false;
}

std::vector<std::size_t> Window(const Run& run, std::size_t at, std::size_t length) {
    std::vector<std::size_t> window(length);
    for (std::size_t k = 0; k < length; ++k) window[k] = run[at + k].type;
    return window;
}

// The unit turned to start where the first run first shows one of its rotations.
std::vector<std::size_t> TurnToFirst(const std::vector<Run>& runs, const std::vector<std::size_t>& unit) {
    for (const Run& run : runs) {
        for (std::size_t i = 0; i + unit.size() <= run.size(); ++i) {
            std::vector<std::size_t> window = Window(run, i, unit.size());
            if (IsRotation(window, unit)) return window;
        }
    }
    return unit;
}

// The most frequent window of a period, and the most frequent one whose types
// are all distinct (a HOR unit seldom uses a monomer twice, while in an array
// of two alternating units, say 7 and 11 monomers, the most frequent 11-window
// straddles a 7-copy). Windows are counted by a polynomial hash of their types.
// The third is the most frequent window holding every frequent type of the
// runs: where two positions still share a type, only it spans a whole copy.
struct PeriodWindows {
    std::vector<std::size_t> any;
    std::vector<std::size_t> distinct;
    std::vector<std::size_t> complete;
};

PeriodWindows FrequentWindows(const std::vector<Run>& runs, std::size_t period,
                              const std::vector<bool>& frequent, std::size_t frequentCount,
                              std::size_t unitTypes) {
    const std::size_t typeCount = frequent.size();
    struct Seen {
        std::size_t count = 0;
        std::size_t run = 0;
        std::size_t at = 0;
    };
    constexpr std::uint64_t kBase = 1000003;
    std::uint64_t top = 1;  // kBase^(period - 1)
    for (std::size_t k = 1; k < period; ++k) top *= kBase;
    std::unordered_map<std::uint64_t, Seen> counts;
    std::vector<std::size_t> inWindow(typeCount, 0);
    Seen bestAny, bestDistinct, bestComplete;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const Run& run = runs[r];
        if (run.size() < period) continue;
        std::uint64_t hash = 0;
        std::size_t repeats = 0;  // window members whose type occurs earlier in the window
        std::size_t present = 0;  // frequent types in the window
        std::size_t foreign = 0;  // window members of types that make no unit
        for (std::size_t i = 0; i < run.size(); ++i) {
            if (i >= period) {
                const std::size_t leaving = run[i - period].type;
                foreign -= leaving >= unitTypes;
                hash -= top * (leaving + 1);
                if (--inWindow[leaving] > 0) {
                    --repeats;
                } else if (frequent[leaving]) {
                    --present;
                }
            }
            hash = hash * kBase + (run[i].type + 1);
            foreign += run[i].type >= unitTypes;
            if (inWindow[run[i].type]++ > 0) {
                ++repeats;
            } else if (frequent[run[i].type]) {
                ++present;
            }
            if (i + 1 < period || foreign > 0) continue;
            Seen& seen = counts[hash];
            if (seen.count++ == 0) seen = {1, r, i + 1 - period};
            if (seen.count > bestAny.count) bestAny = seen;
            if (repeats == 0 && seen.count > bestDistinct.count) bestDistinct = seen;
            if (present == frequentCount && seen.count > bestComplete.count) bestComplete = seen;
        }
        for (std::size_t i = run.size() - period; i < run.size(); ++i) inWindow[run[i].type] = 0;
    }
    PeriodWindows windows;
    if (bestAny.count > 0) windows.any = Window(runs[bestAny.run], bestAny.at, period);
    if (bestDistinct.count > 0) windows.distinct = Window(runs[bestDistinct.run], bestDistinct.at, period);
    if (bestComplete.count > 0) windows.complete = Window(runs[bestComplete.run], bestComplete.at, period);
    return windows;
}

// A window that repeats a shorter one (abab) is that one's business.
bool RepeatsShorter(const std::vector<std::size_t>& window) {
    for (std::size_t d = 1; d < window.size(); ++d) {
        if (window.size() % d != 0) continue;
        if (std::equal(window.begin() + static_cast<std::ptrdiff_t>(d), window.end(), window.begin()))
            return true;
    }
    return false;
}

void Finish(HorCopy& copy, const std::vector<std::size_t>& unit, std::vector<bool>& seen) {
    for (std::size_t k = 0; k < unit.size(); ++k) {
        if (!seen[k]) copy.lacks.push_back(unit[k]);
    }
    copy.kind = !copy.adds.empty()    ? CopyKind::Variant
                : !copy.lacks.empty() ? CopyKind::Partial
                                      : CopyKind::Full;
    std::fill(seen.begin(), seen.end(), false);
}

// A monomer outside the unit joins the current copy, but for one that
// follows a copy holding every position, before a copy that lacks its first
// positions: it leads that copy (the junction monomer of a HOR variant that
// lacks them, which would make a whole copy a variant). A monomer of a type
// that makes no unit (`unitTypes` and above: one that typed templates left,
// no inferred monomer yet) stands for the next position when the monomer
// after it is not that position's.
void ReadCopies(const Run& run, const std::vector<std::size_t>& unit, std::vector<HorCopy>& copies,
                std::size_t minUnitMonomers, std::size_t unitTypes = static_cast<std::size_t>(-1)) {
    const std::size_t before = copies.size();
    std::vector<bool> seen(unit.size(), false);
    HorCopy* copy = nullptr;
    std::size_t cursor = 0;             // unit position of the current copy's last unit monomer
    std::vector<TypedMonomer> outside;  // monomers outside the unit since the last unit monomer
    const auto start = [&](const TypedMonomer& monomer) {
        copies.push_back({monomer.record, monomer.start, monomer.end, monomer.reverse, {}, {}, {}, {}});
        copy = &copies.back();
    };
    const auto add = [&](const TypedMonomer& monomer, bool inUnit) {
        copy->start = std::min(copy->start, monomer.start);
        copy->end = std::max(copy->end, monomer.end);
        copy->types.push_back(monomer.type);
        if (!inUnit) copy->adds.push_back(monomer.type);
    };
    const auto addOutside = [&]() {
        for (const TypedMonomer& monomer : outside) add(monomer, false);
        outside.clear();
    };
    for (std::size_t i = 0; i < run.size(); ++i) {
        const TypedMonomer& monomer = run[i];
        if (monomer.type >= unitTypes && copy && outside.empty()) {
            const std::size_t next = cursor + 1 == unit.size() ? 0 : cursor + 1;
            if (i + 1 == run.size() || run[i + 1].type != unit[next]) {
                if (next == 0) {
                    Finish(*copy, unit, seen);
                    start(monomer);
                }
                add(monomer, true);
                cursor = next;
                seen[cursor] = true;
                continue;
            }
        }
        const auto first = std::find(unit.begin(), unit.end(), monomer.type);
        if (first == unit.end()) {
            if (!copy) start(monomer);
            outside.push_back(monomer);
            continue;
        }
        const auto later = copy ? std::find(unit.begin() + cursor + 1, unit.end(), monomer.type) : unit.end();
        const bool continues = later != unit.end();
        if (!continues) {
            const bool whole =
                copy && copy->adds.empty() && std::all_of(seen.begin(), seen.end(), [](bool b) { return b; });
            const bool leads = whole && first != unit.begin() && outside.size() == 1;
            if (!leads) addOutside();
            if (copy) Finish(*copy, unit, seen);
            start(leads ? outside.front() : monomer);
            addOutside();
        } else {
            addOutside();
        }
        add(monomer, true);
        cursor = static_cast<std::size_t>((continues ? later : first) - unit.begin());
        seen[cursor] = true;
    }
    if (copy) {
        addOutside();
        Finish(*copy, unit, seen);
    }
    // A monomer that stands for a position is no evidence of the copy.
    const std::size_t least = std::min(minUnitMonomers, unit.size());
    const auto placed = [&](const HorCopy& c) {
        const auto foreign = [&](const std::vector<std::size_t>& types) {
            return static_cast<std::size_t>(
                std::count_if(types.begin(), types.end(), [&](std::size_t t) { return t >= unitTypes; }));
        };
        return c.types.size() - foreign(c.types) - (c.adds.size() - foreign(c.adds));
    };
    copies.erase(std::remove_if(copies.begin() + static_cast<std::ptrdiff_t>(before), copies.end(),
                                [&](const HorCopy& c) { return placed(c) < least; }),
                 copies.end());
}

bool HasRepeats(const std::vector<std::size_t>& unit) {
    for (std::size_t i = 0; i < unit.size(); ++i) {
        if (std::find(unit.begin() + static_cast<std::ptrdiff_t>(i) + 1, unit.end(), unit[i]) != unit.end())
            return true;
    }
    return false;
}

// Periods with at least an eighth of the best agreement count propose their
// windows; the unit is the window whose full copies, read as ReadCopies reads
// them, cover the most monomers (the shorter on ties). A unit needs two full
// copies, one beside another copy of it in its run, so a single stretch is no
// HOR (nor a long window that reads a whole noisy run as one copy), and two
// full copies side by side somewhere: it is a period of the runs. A unit
// that uses a type twice is the unit of distinct types whose copies it holds
// (ReadsAsCopiesOf), else it must cover a tenth more than the best one of
// distinct types. The best window that holds every frequent type and one of
// them twice is kept aside, unless it holds only copies of the unit (see
// HorSearch::sharingOfCopies).
struct Units {
    std::vector<std::size_t> unit;
    std::vector<std::size_t> sharing;
};

// `shorter` is `longer` with one stretch of positions left out (or replaced
// by one monomer, the hybrid of its ends), in some turn of both: a HOR
// variant that lost positions by an unequal exchange.
bool DerivesFrom(const std::vector<std::size_t>& shorter, const std::vector<std::size_t>& longer) {
    const std::size_t n = shorter.size();
    if (n < 2 || longer.size() <= n) return false;
    for (std::size_t turn = 0; turn < n; ++turn) {
        const auto at = std::find(longer.begin(), longer.end(), shorter[turn]);
        if (at == longer.end()) continue;
        const auto from = static_cast<std::size_t>(at - longer.begin());
        const auto a = [&](std::size_t k) { return shorter[(turn + k) % n]; };
        const auto b = [&](std::size_t k) { return longer[(from + k) % longer.size()]; };
        std::size_t prefix = 0;
        while (prefix < n && a(prefix) == b(prefix)) ++prefix;
        std::size_t suffix = 0;
        while (prefix + suffix < n && a(n - 1 - suffix) == b(longer.size() - 1 - suffix)) ++suffix;
        if (prefix + suffix + 1 >= n) return true;
    }
    return false;
}

// Whether the window, read round and round with the unit, is copies of it
// or of variants that derive from it (a layout of several HOR copies, say a
// whole one and two that lack positions, that recurs in the array): it then
// holds no positions the unit lacks, however often its types repeat. With
// `minFull`, at least that many of those copies must be whole.
bool ReadsAsCopiesOf(const std::vector<std::size_t>& window, const std::vector<std::size_t>& unit,
                     std::size_t minFull = 0) {
    Run around;
    for (std::size_t turn = 0; turn < 3; ++turn) {
        for (const std::size_t type : window)
            around.push_back({0, static_cast<std::int64_t>(around.size()),
                              static_cast<std::int64_t>(around.size()), type, false});
    }
    std::vector<HorCopy> copies;
    ReadCopies(around, unit, copies, 1);
    // The copies of one turn in the middle, from the first that starts in it.
    const auto n = static_cast<std::int64_t>(window.size());
    const auto first =
        std::find_if(copies.begin(), copies.end(), [&](const HorCopy& c) { return c.start >= n; });
    if (first == copies.end()) return false;
    std::size_t full = 0;
    for (auto copy = first; copy != copies.end() && copy->start < first->start + n; ++copy) {
        full += copy->kind == CopyKind::Full;
        if (copy->kind != CopyKind::Full && !DerivesFrom(copy->types, unit)) return false;
    }
    return full >= minFull;
}

// A window and how its full copies cover the runs: `pairs` counts the full
// copies that the next copy of their run follows whole.
struct Candidate {
    std::vector<std::size_t> unit;
    bool complete = false;  // it holds every frequent type
    std::size_t covered = 0;
    std::size_t full = 0;
    std::size_t pairs = 0;
    std::size_t followed = 0;  // full copies that another copy of their run follows
    std::size_t copies = 0;    // copies of every kind
    bool tandem = false;       // a full copy stands beside another copy
};

Candidate Score(const std::vector<Run>& runs, const std::vector<std::size_t>& unit, bool complete,
                std::size_t unitTypes) {
    Candidate candidate{unit, complete};
    std::vector<HorCopy> copies;
    for (const Run& run : runs) {
        copies.clear();
        ReadCopies(run, unit, copies, 1, unitTypes);
        candidate.copies += copies.size();
        for (std::size_t k = 0; k < copies.size(); ++k) {
            if (copies[k].kind != CopyKind::Full) continue;
            candidate.covered += unit.size();
            ++candidate.full;
            candidate.tandem = candidate.tandem || copies.size() > 1;
            candidate.followed += k + 1 < copies.size();
            candidate.pairs += k + 1 < copies.size() && copies[k + 1].kind == CopyKind::Full;
        }
    }
    return candidate;
}

// The windows FindUnits chooses from, in order of period.
std::vector<Candidate> Candidates(const std::vector<Run>& runs, std::size_t maxUnit, std::size_t unitTypes) {
    const std::vector<std::size_t> agreements = Agreements(runs, maxUnit);
    const std::size_t most = *std::max_element(agreements.begin(), agreements.end());
    std::vector<std::size_t> typeCounts;
    std::size_t monomers = 0;
    for (const Run& run : runs) {
        for (const TypedMonomer& monomer : run) {
            if (monomer.type >= typeCounts.size()) typeCounts.resize(monomer.type + 1, 0);
            ++typeCounts[monomer.type];
            ++monomers;
        }
    }
    // A type of at least one monomer in 200 is one the unit should hold.
    std::vector<bool> frequent(typeCounts.size(), false);
    std::size_t frequentCount = 0;
    for (std::size_t t = 0; t < typeCounts.size(); ++t) {
        frequent[t] = t < unitTypes && typeCounts[t] * 200 >= monomers;
        frequentCount += frequent[t];
    }
    std::vector<Candidate> candidates;
    const auto consider = [&](const std::vector<std::size_t>& unit, bool complete) {
        if (unit.empty() || RepeatsShorter(unit)) return;
        Candidate candidate = Score(runs, unit, complete, unitTypes);
        if (candidate.tandem && candidate.full >= 2) candidates.push_back(std::move(candidate));
    };
    for (std::size_t period = 1; period <= maxUnit && most > 0; ++period) {
        if (agreements[period] * 8 < most) continue;
        const PeriodWindows windows = FrequentWindows(runs, period, frequent, frequentCount, unitTypes);
        consider(windows.any, windows.any == windows.complete);
        if (windows.distinct != windows.any) consider(windows.distinct, false);
        if (windows.complete != windows.any && windows.complete != windows.distinct)
            consider(windows.complete, true);
    }
    return candidates;
}

// The candidate `unit` is a layout of: `unit` uses a type twice and reads
// as copies of a shorter candidate, two of them whole, some two of whose full
// copies stand side by side (12 kb of CHM13 cen21: 11-, 11- and 9-monomer
// copies over and over read as one 31-monomer window); one whole copy and
// part of another may be a longer HOR whose positions still share types. Of
// two such candidates, one a variant of the other that lacks some of its
// positions, the longer is the HOR. Null when there is none.
const Candidate* LayoutOf(const std::vector<Candidate>& candidates, const std::vector<std::size_t>& unit) {
    std::vector<const Candidate*> layouts;
    for (const Candidate& c : candidates) {
        if (c.unit.size() < unit.size() && c.pairs > 0 && ReadsAsCopiesOf(unit, c.unit, 2))
            layouts.push_back(&c);
    }
    const Candidate* layout = nullptr;
    for (const Candidate* c : layouts) {
        if (!layout || c->covered > layout->covered) layout = c;
    }
    for (const Candidate* c : layouts) {
        if (c->unit.size() > layout->unit.size() && DerivesFrom(layout->unit, c->unit)) layout = c;
    }
    return layout;
}

Units FindUnits(const std::vector<Run>& runs, const HorSearch& search) {
    const std::size_t maxUnit = search.maxUnit;
    const bool canonical = search.canonical;
    const std::size_t unitTypes = search.unitTypes;
    const std::vector<Candidate> candidates = Candidates(runs, maxUnit, unitTypes);
    const Candidate* best = nullptr;
    const Candidate* bestDistinct = nullptr;
    const Candidate* sharing = nullptr;
    for (const Candidate& c : candidates) {
        if (!best || c.covered > best->covered) best = &c;
        if (!HasRepeats(c.unit) && (!bestDistinct || c.covered > bestDistinct->covered)) bestDistinct = &c;
        if (c.complete && HasRepeats(c.unit) && (!sharing || c.covered > sharing->covered)) sharing = &c;
    }
    Units units;
    if (!best) return units;
    units.unit = best->unit;
    // A unit that uses a type twice counts those monomers twice: it must
    // cover clearly more than the best unit of distinct types (CHM13 chr15's
    // 1-4 + 1-11 copies cover 0.2 % more than its 11-monomer unit).
    if (bestDistinct && HasRepeats(units.unit) && best->covered * 10 < bestDistinct->covered * 11)
        units.unit = bestDistinct->unit;
    if (HasRepeats(units.unit)) {
        if (const Candidate* layout = LayoutOf(candidates, units.unit)) {
            best = layout;
            units.unit = layout->unit;
        }
    }
    // The canonical unit: the longest one the best derives from, when its
    // full copies cover at least a quarter as much (an array whose copies
    // mostly lack some positions still holds the whole HOR) and it is a
    // period of the runs as well: its full copies that another follows cover
    // at least a quarter as much as the best's do, and some such pair exists.
    // A whole copy and the first monomers of a variant that follows most
    // whole copies is none (CHM13 chr9's 7-mer and its 4-monomer variant's
    // 6': 842 full copies, none side by side), nor part of a longer HOR's
    // copy (chr5's 8-monomer HOR without its last two: 15 of 897 against
    // 852 of the 4-monomer unit's 1,700).
    // Where the whole copies are few among the variant's (chr18-like arrays
    // whose 12-monomer HOR stands in a fifth of the copies, the rest an
    // 8-monomer variant), their pairs are few too, yet as many as copies
    // laid out at random would give: then it is a period all the same. A
    // chimera of a whole copy and a variant's part follows a fixed order and
    // has next to none.
    const auto tandem = [](const Candidate& c) { return c.pairs * c.unit.size(); };
    const auto period = [&](const Candidate& c) {
        return 4 * tandem(c) >= tandem(*best) ||
               (c.pairs >= 2 && 4 * c.pairs * c.copies >= c.followed * c.full);
    };
    std::size_t longest = units.unit.size();
    for (const Candidate& c : candidates) {
        if (canonical && c.pairs > 0 && period(c) && !HasRepeats(c.unit) && c.unit.size() > longest &&
            4 * c.covered >= best->covered && !HasRepeats(units.unit) && DerivesFrom(units.unit, c.unit)) {
            longest = c.unit.size();
            units.unit = c.unit;
        }
    }
    units.unit = TurnToFirst(runs, units.unit);
    // The sharing window, unless it is only a layout of the unit's copies.
    std::size_t monomers = 0;
    for (const Run& run : runs) monomers += run.size();
    if (sharing && sharing->unit != units.unit &&
        (monomers < search.fewSharingCopies * sharing->unit.size() ||
         !ReadsAsCopiesOf(sharing->unit, units.unit)))
        units.sharing = sharing->unit;
    return units;
}

// Whether `copy` lacks every one of `types`.
bool LacksAll(const HorCopy& copy, const std::vector<std::size_t>& types) {
    return std::all_of(types.begin(), types.end(), [&](std::size_t type) {
        return std::find(copy.lacks.begin(), copy.lacks.end(), type) != copy.lacks.end();
    });
}

// A stretch at one end of the run copies[begin, end) (its last copies when
// `fromEnd`) that may be a variant's own array: the copies from that end up
// to the first whole one (or one already `taken`), as far as the last that
// lacks what their most frequent layout (two neighbours of it at least)
// lacks; its indexes in run order (none when no layout repeats) and the
// variant. A run's first copies that go on from the stretch of `before`
// (which ends right before the run) are read with that variant.
struct EdgeArray {
    std::vector<std::size_t> indexes;
    VariantArray variant;
};

EdgeArray EdgeVariant(const std::vector<HorCopy>& copies, std::size_t begin, std::size_t end, bool fromEnd,
                      const std::vector<bool>& taken, const VariantArray* before) {
    std::vector<std::size_t> edge;  // from the end inwards
    for (std::size_t k = 0; k < end - begin; ++k) {
        const std::size_t i = fromEnd ? end - 1 - k : begin + k;
        if (taken[i] || copies[i].kind == CopyKind::Full) break;
        edge.push_back(i);
    }
    std::map<std::vector<std::size_t>, std::size_t> layouts;
    for (const std::size_t i : edge) ++layouts[copies[i].types];
    EdgeArray array;
    if (before) array.variant = *before;
    std::size_t most = 0;
    for (std::size_t k = 0; k + 1 < edge.size() && !before; ++k) {
        const HorCopy& copy = copies[edge[k]];
        const std::size_t count = layouts[copy.types];
        if (copy.types == copies[edge[k + 1]].types && !copy.lacks.empty() && count > most) {
            array.variant = {copy.types, copy.lacks, copy.adds, {}};
            most = count;
        }
    }
    if (array.variant.lacks.empty()) return array;
    std::size_t length = 0;
    for (std::size_t k = 0; k < edge.size(); ++k) {
        if (LacksAll(copies[edge[k]], array.variant.lacks)) length = k + 1;
    }
    array.indexes.assign(edge.begin(), edge.begin() + static_cast<std::ptrdiff_t>(length));
    if (fromEnd) std::reverse(array.indexes.begin(), array.indexes.end());
    return array;
}

// Moves the copies of variant HORs' own arrays at the ends of the runs
// (copies[begin, end) each) into result.variantArrays. End stretches
// (EdgeVariant) of one variant that follow each other across a gap are one
// (a run's first copies are read as going on from a stretch just before
// it); it is an array when it holds kMinArrayMonomers monomers and more copies
// that lack the variant's types than the copies outside every end stretch do.
void LeaveOutVariantArrays(HorResult& result, const std::vector<std::pair<std::size_t, std::size_t>>& runs) {
    const std::vector<HorCopy>& copies = result.copies;
    std::vector<bool> atEnd(copies.size(), false);
    std::vector<EdgeArray> stretches;
    // Whether the last stretch ends right before copy `first`, on its record and strand.
    const auto after = [&](std::size_t first) {
        return !stretches.empty() && stretches.back().indexes.back() + 1 == first &&
               copies[first - 1].record == copies[first].record &&
               copies[first - 1].reverse == copies[first].reverse;
    };
    for (const auto& [begin, end] : runs) {
        for (const bool fromEnd : {false, true}) {
            const bool goesOn = !fromEnd && begin < end && after(begin);
            EdgeArray stretch =
                EdgeVariant(copies, begin, end, fromEnd, atEnd, goesOn ? &stretches.back().variant : nullptr);
            if (stretch.indexes.empty()) continue;
            for (const std::size_t i : stretch.indexes) atEnd[i] = true;
            const std::size_t first = stretch.indexes.front();
            if (after(first) && stretches.back().variant.lacks == stretch.variant.lacks) {
                std::vector<std::size_t>& joined = stretches.back().indexes;
                joined.insert(joined.end(), stretch.indexes.begin(), stretch.indexes.end());
            } else {
                stretches.push_back(std::move(stretch));
            }
        }
    }
    std::vector<bool> taken(copies.size(), false);
    for (EdgeArray& stretch : stretches) {
        const std::vector<std::size_t>& lacks = stretch.variant.lacks;
        std::size_t monomers = 0;
        std::size_t inside = 0;
        for (const std::size_t i : stretch.indexes) {
            monomers += copies[i].types.size();
            inside += LacksAll(copies[i], lacks);
        }
        std::size_t among = 0;  // such copies outside every end stretch
        for (std::size_t i = 0; i < copies.size(); ++i) among += !atEnd[i] && LacksAll(copies[i], lacks);
        if (monomers < kMinArrayMonomers || among >= inside) continue;
        for (const std::size_t i : stretch.indexes) {
            taken[i] = true;
            stretch.variant.copies.push_back(copies[i]);
        }
        result.variantArrays.push_back(std::move(stretch.variant));
    }
    std::vector<HorCopy> kept;
    for (std::size_t i = 0; i < copies.size(); ++i) {
        if (!taken[i]) kept.push_back(copies[i]);
    }
    result.copies = std::move(kept);
}

}  // namespace

HorResult FindHor(std::vector<TypedMonomer> monomers, const HorSearch& search) {
    HorResult result;
    const std::vector<Run> runs = CutRuns(std::move(monomers), search.maxGap);
    Units units = FindUnits(runs, search);
    result.unit = std::move(units.unit);
    result.sharingUnit = std::move(units.sharing);
    if (result.unit.empty()) return result;
    if (search.startType) {
        const auto start = std::find(result.unit.begin(), result.unit.end(), *search.startType);
        if (start != result.unit.end()) std::rotate(result.unit.begin(), start, result.unit.end());
    }
    std::vector<std::pair<std::size_t, std::size_t>> ranges;  // the copies of each run
    for (const Run& run : runs) {
        const std::size_t before = result.copies.size();
        ReadCopies(run, result.unit, result.copies, search.minUnitMonomers, search.unitTypes);
        ranges.emplace_back(before, result.copies.size());
    }
    if (search.variantArrays) LeaveOutVariantArrays(result, ranges);
    return result;
}

}  // namespace horgrid
