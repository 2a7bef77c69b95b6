#include "infer/HorCopies.h"

#include <algorithm>
#include <map>

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

bool Matches(const Run& run, std::size_t at, const std::vector<std::size_t>& window) {
    if (at + window.size() > run.size()) return false;
    for (std::size_t k = 0; k < window.size(); ++k) {
        if (run[at + k].type != window[k]) return false;
    }
    return true;
}

std::vector<std::size_t> MostFrequentWindow(const std::vector<Run>& runs, std::size_t period) {
    std::map<std::vector<std::size_t>, std::size_t> counts;
    std::vector<std::size_t> best;
    std::size_t bestCount = 0;
    for (const Run& run : runs) {
        for (std::size_t i = 0; i + period <= run.size(); ++i) {
            std::vector<std::size_t> window = Window(run, i, period);
            const std::size_t count = ++counts[window];
            if (count > bestCount) {
                bestCount = count;
                best = std::move(window);
            }
        }
    }
    return best;
}

// Copies of `unit` that touch another copy, counted without overlaps from the
// left of every run.
std::size_t TandemCopies(const std::vector<Run>& runs, const std::vector<std::size_t>& unit) {
    std::size_t copies = 0;
    for (const Run& run : runs) {
        bool previous = false;  // the last monomers read were a copy
        for (std::size_t i = 0; i < run.size();) {
            if (!Matches(run, i, unit)) {
                previous = false;
                ++i;
                continue;
            }
            copies += previous || Matches(run, i + unit.size(), unit);
            previous = true;
            i += unit.size();
        }
    }
    return copies;
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

// Periods with at least half the best agreement count are tried; the unit is
// the most frequent window of the period whose tandem copies cover the most
// monomers (the shorter period on ties).
std::vector<std::size_t> FindUnit(const std::vector<Run>& runs, std::size_t maxUnit) {
    const std::vector<std::size_t> agreements = Agreements(runs, maxUnit);
    const std::size_t most = *std::max_element(agreements.begin(), agreements.end());
    std::vector<std::size_t> best;
    std::size_t bestCopies = 0;
    for (std::size_t period = 1; period <= maxUnit && most > 0; ++period) {
        if (agreements[period] * 2 < most) continue;
        std::vector<std::size_t> unit = MostFrequentWindow(runs, period);
        const std::size_t copies = TandemCopies(runs, unit) * unit.size();
        if (copies > bestCopies) {
            bestCopies = copies;
            best = std::move(unit);
        }
    }
    return best.empty() ? best : TurnToFirst(runs, best);
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

void ReadCopies(const Run& run, const std::vector<std::size_t>& unit, std::vector<HorCopy>& copies,
                std::size_t minUnitMonomers) {
    const std::size_t before = copies.size();
    std::vector<bool> seen(unit.size(), false);
    HorCopy* copy = nullptr;
    std::size_t cursor = 0;  // unit position of the current copy's last unit monomer
    for (const TypedMonomer& monomer : run) {
        const auto first = std::find(unit.begin(), unit.end(), monomer.type);
        const bool inUnit = first != unit.end();
        std::size_t position = 0;
        bool continues = false;
        if (inUnit) {
            const auto later =
                copy ? std::find(unit.begin() + cursor + 1, unit.end(), monomer.type) : unit.end();
            continues = later != unit.end();
            position = static_cast<std::size_t>((continues ? later : first) - unit.begin());
        }
        if (!copy || (inUnit && !continues)) {
            if (copy) Finish(*copy, unit, seen);
            copies.push_back({monomer.record, monomer.start, monomer.end, monomer.reverse, {}, {}, {}, {}});
            copy = &copies.back();
        }
        copy->start = std::min(copy->start, monomer.start);
        copy->end = std::max(copy->end, monomer.end);
        copy->types.push_back(monomer.type);
        if (inUnit) {
            cursor = position;
            seen[position] = true;
        } else {
            copy->adds.push_back(monomer.type);
        }
    }
    if (copy) Finish(*copy, unit, seen);
    const std::size_t least = std::min(minUnitMonomers, unit.size());
    copies.erase(std::remove_if(copies.begin() + static_cast<std::ptrdiff_t>(before), copies.end(),
                                [&](const HorCopy& c) { return c.types.size() - c.adds.size() < least; }),
                 copies.end());
}

}  // namespace

HorResult FindHor(std::vector<TypedMonomer> monomers, const HorSearch& search) {
    HorResult result;
    const std::vector<Run> runs = CutRuns(std::move(monomers), search.maxGap);
    result.unit = FindUnit(runs, search.maxUnit);
    if (result.unit.empty()) return result;
    if (search.startType) {
        const auto start = std::find(result.unit.begin(), result.unit.end(), *search.startType);
        if (start != result.unit.end()) std::rotate(result.unit.begin(), start, result.unit.end());
    }
    for (const Run& run : runs) ReadCopies(run, result.unit, result.copies, search.minUnitMonomers);
    return result;
}

}  // namespace horgrid
