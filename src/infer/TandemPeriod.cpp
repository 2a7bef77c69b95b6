#include "infer/TandemPeriod.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "infer/InfixFit.h"
#include "sequence/Kmers.h"

namespace horgrid {
namespace {

// Calls visit(position, distance) for every k-mer: the distance back to the
// previous occurrence of the k-mer ending at position (0 for none or beyond
// maxPeriod; positions without a k-mer give 0 too).
template <class Visit>
void ForEachDistance(const std::string& sequence, const TandemPeriodSettings& settings,
                     std::vector<std::uint32_t>& last, Visit&& visit) {
    std::fill(last.begin(), last.end(), 0);
    std::size_t next = 0;  // first position not yet visited
    ForEachKmer(sequence, settings.k, [&](std::size_t i, std::uint64_t code) {
        for (; next < i; ++next) visit(next, 0u);
        const std::uint32_t previous = last[code];  // position + 1
        const bool near = previous > 0 && i + 1 - previous <= settings.maxPeriod;
        visit(i, near ? static_cast<std::uint32_t>(i + 1 - previous) : 0u);
        next = i + 1;
        last[code] = static_cast<std::uint32_t>(i + 1);
    });
    for (; next < sequence.size(); ++next) visit(next, 0u);
}

std::size_t Tolerance(std::size_t period) {
    return std::max<std::size_t>(1, period / 50);
}

// The votes of every distance summed over +-tolerance.
double Around(const std::vector<double>& votes, std::size_t period, std::size_t tolerance) {
    double sum = 0;
    const std::size_t last = std::min(votes.size() - 1, period + tolerance);
    for (std::size_t d = period - std::min(period, tolerance); d <= last; ++d) {
        if (d > 0) sum += votes[d];
    }
    return sum;
}

// The period from the votes (see FindTandemPeriod); 0 without votes.
std::size_t ChoosePeriod(const std::vector<double>& votes, const TandemPeriodSettings& settings) {
    std::size_t best = 0;
    double bestNarrow = 0;
    for (std::size_t period = settings.minPeriod; period <= settings.maxPeriod; ++period) {
        const double narrow = Around(votes, period, period / 200);
        if (narrow > bestNarrow) {
            best = period;
            bestNarrow = narrow;
        }
    }
    if (best == 0) return 0;
    const double bestVotes = Around(votes, best, Tolerance(best));
    for (std::size_t parts = 6; parts >= 2; --parts) {
        const std::size_t fraction = (best + parts / 2) / parts;
        if (fraction < settings.minPeriod) continue;
        std::size_t peak = fraction;
        for (std::size_t d = fraction - Tolerance(fraction); d <= fraction + Tolerance(fraction); ++d) {
            if (votes[d] > votes[peak]) peak = d;
        }
        if (Around(votes, peak, Tolerance(peak)) * 3 >= bestVotes) return peak;
    }
    return best;
}

// The monomer of a HOR `period` (see TandemPeriod::monomer); 0 for none.
std::size_t ChooseMonomer(const std::vector<double>& votes, std::size_t period,
                          const TandemPeriodSettings& settings) {
    const double periodVotes = Around(votes, period, Tolerance(period));
    std::size_t most = 0;
    double mostVotes = 0;
    for (std::size_t monomer = settings.minPeriod; 2 * monomer <= period; ++monomer) {
        const std::size_t tolerance = Tolerance(monomer);
        bool peak = true;
        for (std::size_t d = monomer - tolerance; peak && d <= monomer + tolerance; ++d) {
            peak = votes[d] <= votes[monomer];
        }
        if (!peak) continue;
        const double around = Around(votes, monomer, tolerance);
        if (around * 3 >= periodVotes) return monomer;
        if (around > mostVotes) {
            most = monomer;
            mostVotes = around;
        }
    }
    return most;
}

// Whether a k-mer `distance` after its previous copy lies one period
// (+-tolerance) after it.
bool OnePeriod(std::uint32_t distance, std::size_t period, std::size_t tolerance) {
    return distance + tolerance >= period && distance <= period + tolerance;
}

// Whether a k-mer `distance` after its previous copy lies one to ten periods
// (+-2 %) after it, or between half a period and two: the copies of an old
// array whose monomer is shorter or longer (or half or twice as long) share
// k-mers with their neighbours at their own period.
bool InPeriod(std::uint32_t distance, std::size_t period) {
    if (distance == 0) return false;
    if (2 * distance >= period && distance <= 2 * period) return true;
    const std::size_t times = (distance + period / 2) / period;
    if (times < 1 || times > 10) return false;
    const std::size_t at = times * period;
    return (distance > at ? distance - at : at - distance) <= Tolerance(at);
}

// Sets the densest stretch of 10 periods (record and start) and the tandem
// stretches of `result`.
void PlaceRepeat(const std::vector<std::string>& sequences, const TandemPeriodSettings& settings,
                 std::vector<std::uint32_t>& last, TandemPeriod& result) {
    const std::size_t best = result.period;
    const std::size_t window = 10 * best;
    const std::size_t tolerance = Tolerance(best);
    std::size_t bestCount = 0;
    for (std::size_t r = 0; r < sequences.size(); ++r) {
        std::vector<bool> ring(window, false);  // the last `window` positions: in period?
        std::vector<std::size_t> bins((sequences[r].size() + settings.bin - 1) / settings.bin, 0);
        std::size_t count = 0;
        ForEachDistance(sequences[r], settings, last, [&](std::size_t i, std::uint32_t distance) {
            const bool in = OnePeriod(distance, best, tolerance);
            bins[i / settings.bin] += InPeriod(distance, best);
            count += in;
            count -= ring[i % window];
            ring[i % window] = in;
            if (i + 1 >= window && count > bestCount && sequences[r].size() >= best) {
                bestCount = count;
                result.record = r;
                result.start = std::min(i + 1 - window / 2, sequences[r].size() - best);
            }
        });
        if (bestCount == 0 && sequences[r].size() >= best) {
            result.record = r;  // shorter than the window: its middle
            result.start = (sequences[r].size() - best) / 2;
            bestCount = 1;
        }
        AppendDenseBins(r, sequences[r].size(), bins, settings.bin, settings.minVotes, result.stretches);
    }
}

// The k-mer code of the reverse complement.
std::uint64_t TurnedCode(std::uint64_t code, std::size_t k) {
    std::uint64_t turned = 0;
    for (std::size_t b = 0; b < k; ++b, code >>= 2) turned = (turned << 2) | (3 - (code & 3));
    return turned;
}

// Where one record's sequence turns to the other strand: every k-mer whose
// reverse complement ended less than `period` before it votes for the point
// the two mirror about (twice its position, so half bases count); the points
// with at least `minVotes` votes within +-2 bases (the best of each cluster),
// in position order.
std::vector<std::size_t> StrandSwitches(const std::string& sequence, std::size_t period, std::size_t k,
                                        std::size_t minVotes, std::vector<std::uint32_t>& last) {
    std::fill(last.begin(), last.end(), 0);
    std::vector<std::uint64_t> doubled;  // twice the mirror points
    ForEachKmer(sequence, k, [&](std::size_t i, std::uint64_t code) {
        const std::uint64_t turned = TurnedCode(code, k);
        const std::uint32_t previous = last[turned];  // its last base + 1
        if (turned != code && previous > 0 && i + 1 - previous < period)
            doubled.push_back(i + previous + 1 - k);
        last[code] = static_cast<std::uint32_t>(i + 1);
    });
    std::sort(doubled.begin(), doubled.end());
    std::vector<std::pair<std::uint64_t, std::size_t>> found;  // twice the point, votes
    for (std::size_t a = 0, b = 0; b < doubled.size(); ++b) {
        while (doubled[b] - doubled[a] > 8) ++a;
        const std::size_t votes = b + 1 - a;
        if (votes < minVotes) continue;
        const std::uint64_t point = (doubled[a] + doubled[b]) / 2;
        if (!found.empty() && point - found.back().first <= 16) {
            if (votes > found.back().second) found.back() = {point, votes};
        } else {
            found.emplace_back(point, votes);
        }
    }
    std::vector<std::size_t> points;
    for (const auto& [point, votes] : found) points.push_back(static_cast<std::size_t>(point / 2));
    return points;
}

// Per position of `sequence`, how many k-mers before it lie one period
// (+-tolerance) after their previous copy: prefix sums.
std::vector<std::uint32_t> InPeriodSums(const std::string& sequence, const TandemPeriodSettings& settings,
                                        std::size_t period, std::vector<std::uint32_t>& last) {
    const std::size_t tolerance = Tolerance(period);
    std::vector<std::uint32_t> sums(sequence.size() + 1, 0);
    ForEachDistance(sequence, settings, last, [&](std::size_t i, std::uint32_t distance) {
        sums[i + 1] = sums[i] + OnePeriod(distance, period, tolerance);
    });
    return sums;
}

// The start of the densest stretch's period moved to the phase of a strand
// switch that lies in a sparser stretch (an old array of the family whose
// copies share few k-mers): the bases beside the switch on the side of the
// densest stretch (three periods, at most 600 bases: enough to place them, and
// a long HOR period costs no more) are aligned into that period laid end to
// end, and the place the switch maps to becomes the start. The period itself
// stays the densest stretch's, so an old family of another monomer length
// gives its phase but not its copies. Only bases that fit by descent count
// (FitsByDescent): a switch beside other sequence has no phase of the period.
// None when the switch gives no phase.
std::optional<std::size_t> PhaseAtSwitch(const std::string& sequence, std::size_t period, std::size_t start,
                                         std::size_t point) {
    const bool after = point >= start;
    const std::size_t room = after ? point : sequence.size() - point;
    const std::size_t length = std::min({3 * period, std::size_t{600}, room});
    if (2 * length < std::min<std::size_t>(period, 600) || start + period > sequence.size()) return std::nullopt;
    const std::string_view beside(sequence.data() + (after ? point - length : point), length);
    const std::string_view one(sequence.data() + start, period);
    std::string laid;
    for (std::size_t n = 0; n * period < length + period; ++n) laid += one;
    const InfixFit fit = FitInto(beside, laid);
    if (!FitsByDescent(beside, laid, fit)) return std::nullopt;
    const std::size_t moved = start + (after ? fit.end : fit.begin) % period;
    if (moved + period <= sequence.size()) return moved;
    return moved >= period ? std::optional<std::size_t>(moved - period) : std::nullopt;
}

// Moves the start of `result` to the strand switch nearest to it in its
// record, where at least an eighth of a period's k-mers mirror: copies turned
// one by one turn at their ends, so the period beside the switch, on the side
// of the densest stretch, is one whole copy like the densest stretch's. A
// switch counts only where the 10 periods around that period repeat at the
// period at least half as densely as the densest stretch: a switch in an
// array of another family (another monomer length, or copies too far apart
// to share k-mers) would give a period that is no whole copy of this one; such
// a switch gives only its phase (PhaseAtSwitch).
void StartAtSwitch(const std::vector<std::string>& sequences, const TandemPeriodSettings& settings,
                   std::vector<std::uint32_t>& last, TandemPeriod& result) {
    const std::string& sequence = sequences[result.record];
    const std::size_t period = result.period;
    if (sequence.size() < period) return;
    const std::vector<std::uint32_t> sums = InPeriodSums(sequence, settings, period, last);
    const auto density = [&](std::size_t at) {  // k-mers in period around [at, at + period)
        const std::size_t middle = at + period / 2;
        const std::size_t from = middle - std::min(middle, 5 * period);
        const std::size_t to = std::min(sequence.size(), middle + 5 * period);
        return sums[to] - sums[from];
    };
    const std::uint32_t densest = density(result.start);
    std::vector<std::size_t> points =
        StrandSwitches(sequence, period, settings.k, std::max<std::size_t>(1, period / 8), last);
    const auto distance = [&](std::size_t point) {
        return point > result.start ? point - result.start : result.start - point;
    };
    std::stable_sort(points.begin(), points.end(),
                     [&](std::size_t a, std::size_t b) { return distance(a) < distance(b); });
    for (const std::size_t point : points) {
        const std::size_t at = std::min(point >= result.start && point >= period ? point - period : point,
                                        sequence.size() - period);
        if (2 * density(at) < densest) {
            const std::optional<std::size_t> phased = PhaseAtSwitch(sequence, period, result.start, point);
            if (!phased) continue;
            result.start = *phased;
            return;
        }
        result.start = at;
        return;
    }
}

}  // namespace

TandemPeriod FindTandemPeriod(const std::vector<std::string>& sequences,
                              const TandemPeriodSettings& settings) {
    TandemPeriod result;
    std::vector<std::uint32_t> last(std::size_t{1} << (2 * settings.k));
    std::vector<double> votes(settings.maxPeriod + 1, 0);
    std::size_t kmers = 0;
    for (const std::string& sequence : sequences) {
        ForEachDistance(sequence, settings, last,
                        [&](std::size_t, std::uint32_t distance) { votes[distance] += 1; });
        kmers += sequence.size();
    }
    if (kmers == 0) return result;
    const std::size_t best = ChoosePeriod(votes, settings);
    if (best == 0) return result;
    result.share = Around(votes, best, Tolerance(best)) / static_cast<double>(kmers);
    double tandem = 0;  // whole numbers of periods back: a k-mer changed in the copy before has one further back
    for (std::size_t times = 1; times <= 10 && times * best <= settings.maxPeriod; ++times) {
        tandem += Around(votes, times * best, Tolerance(times * best));
    }
    if (tandem < settings.minShare * static_cast<double>(kmers)) return result;
    result.period = best;
    result.monomer = ChooseMonomer(votes, best, settings);
    PlaceRepeat(sequences, settings, last, result);
    StartAtSwitch(sequences, settings, last, result);
    return result;
}

}  // namespace horgrid
