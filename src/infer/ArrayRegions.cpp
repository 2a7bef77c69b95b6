#include "infer/ArrayRegions.h"

#include <algorithm>
#include <array>

#include "common/Parallel.h"
#include "sequence/DistancePercent.h"
#include "sequence/EditDistance.h"

namespace horgrid {
namespace {

std::string Forward(std::string_view sequence, const Segment& segment) {
    const std::string_view piece(sequence.data() + segment.start,
                                 static_cast<std::size_t>(segment.end - segment.start + 1));
    return segment.reverse ? ReverseComplement(piece) : std::string(piece);
}

// A segment's class. A diverged HOR keeps its period of at least two
// monomers: the closest copies of at least two of the four nearest segments
// lie as many segments away.
RegionClass Classify(const std::vector<Segment>& segments, const NearestCopy& nearest, std::size_t i,
                     const RegionSettings& settings) {
    if (segments[i].identity < settings.satelliteIdentity) return RegionClass::NotSatellite;
    if (nearest.distances[i] <= settings.liveDistance) return RegionClass::LiveHor;
    const auto periodic = [&](std::size_t j) {
        return j < segments.size() && nearest.offsets[i] >= 2 && nearest.offsets[j] == nearest.offsets[i];
    };
    const int agree = periodic(i - 2) + periodic(i - 1) + periodic(i + 1) + periodic(i + 2);
    if (nearest.distances[i] <= settings.divergedDistance && agree >= 2) {
        return RegionClass::DivergedHor;
    }
    return RegionClass::Monomeric;
}

// How far apart sequencing errors put a record's copies: the median distance
// of the nearest copy over the 20 satellite segments in a row (an array's
// least) where it is lowest, counting only segments with a copy within the
// diverged distance. An assembly's live array holds copies a few tenths of a
// percent apart or the same; in a read every copy carries its own errors
// (5-10 %), so even the copies of a homogeneous array lie 6-16 % apart.
float NoiseFloor(const std::vector<Segment>& segments, const NearestCopy& nearest, const RegionSettings& settings) {
    constexpr std::size_t kArray = 20;
    std::vector<float> distances;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (segments[i].identity >= settings.satelliteIdentity && nearest.distances[i] <= settings.divergedDistance)
            distances.push_back(nearest.distances[i]);
    }
    if (distances.empty()) return 0;
    const std::size_t width = std::min(kArray, distances.size());
    float floor = 100;
    std::vector<float> window(width);
    for (std::size_t from = 0; from + width <= distances.size() && floor > 0; ++from) {
        std::copy_n(distances.begin() + static_cast<std::ptrdiff_t>(from), width, window.begin());
        const auto middle = window.begin() + static_cast<std::ptrdiff_t>(width / 2);
        std::nth_element(window.begin(), middle, window.end());
        floor = std::min(floor, *middle);
    }
    return std::min(floor, settings.divergedDistance - settings.liveDistance);
}

// Smooths the classes by three majority votes over a window of segments, each
// among the segments the previous vote leaves: satellite or not, then live or
// not, then diverged or monomeric (ties keep the segment's own answer). Votes
// of two sides put a border where the classes change, whatever a third class
// between them does.
std::vector<RegionClass> Smooth(const std::vector<RegionClass>& classes, std::size_t half) {
    const std::size_t count = classes.size();
    // prefix[k][i]: segments of class k before i.
    std::array<std::vector<std::size_t>, 4> prefix;
    for (auto& sums : prefix) sums.assign(count + 1, 0);
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t k = 0; k < 4; ++k)
            prefix[k][i + 1] = prefix[k][i] + (static_cast<std::size_t>(classes[i]) == k);
    }
    std::vector<RegionClass> smooth(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t low = i > half ? i - half : 0;
        const std::size_t high = std::min(count, i + half + 1);
        const auto in = [&](RegionClass kind) {
            const auto k = static_cast<std::size_t>(kind);
            return prefix[k][high] - prefix[k][low];
        };
        // Whether `yes` segments outvote `no` ones, the own class deciding a tie.
        const auto vote = [&](std::size_t yes, std::size_t no, bool own) {
            return yes != no ? yes > no : own;
        };
        const RegionClass own = classes[i];
        const std::size_t live = in(RegionClass::LiveHor);
        const std::size_t diverged = in(RegionClass::DivergedHor);
        const std::size_t monomeric = in(RegionClass::Monomeric);
        if (!vote(live + diverged + monomeric, in(RegionClass::NotSatellite),
                  own != RegionClass::NotSatellite)) {
            smooth[i] = RegionClass::NotSatellite;
        } else if (vote(live, diverged + monomeric, own == RegionClass::LiveHor)) {
            smooth[i] = RegionClass::LiveHor;
        } else {
            smooth[i] = vote(diverged, monomeric, own == RegionClass::DivergedHor) ? RegionClass::DivergedHor
                                                                                   : RegionClass::Monomeric;
        }
    }
    return smooth;
}

// Stretches of one record (segments [from, to) without a long gap).
void AddStretches(std::size_t record, const std::vector<Segment>& segments,
                  const std::vector<RegionClass>& classes, std::size_t from, std::size_t to,
                  const RegionSettings& settings, std::vector<ArrayStretch>& stretches) {
    std::vector<ArrayStretch> runs;
    for (std::size_t i = from; i < to; ++i) {
        if (runs.empty() || runs.back().kind != classes[i]) {
            runs.push_back({record, i, i, segments[i].start, segments[i].end, classes[i]});
        }
        runs.back().last = i;
        runs.back().end = segments[i].end;
    }
    const auto size = [](const ArrayStretch& run) { return run.last - run.first + 1; };
    // Short runs join their longer neighbour, shortest first, until none is left.
    while (runs.size() > 1) {
        std::size_t shortest = 0;
        for (std::size_t k = 1; k < runs.size(); ++k) {
            if (size(runs[k]) < size(runs[shortest])) shortest = k;
        }
        if (size(runs[shortest]) >= settings.minSegments) break;
        const bool left = shortest > 0 && (shortest + 1 == runs.size() ||
                                           size(runs[shortest - 1]) >= size(runs[shortest + 1]));
        const std::size_t into = left ? shortest - 1 : shortest + 1;
        runs[into].first = std::min(runs[into].first, runs[shortest].first);
        runs[into].last = std::max(runs[into].last, runs[shortest].last);
        runs[into].start = std::min(runs[into].start, runs[shortest].start);
        runs[into].end = std::max(runs[into].end, runs[shortest].end);
        runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(shortest));
        // Neighbours of one class that now touch become one stretch.
        for (std::size_t k = 1; k < runs.size();) {
            if (runs[k].kind != runs[k - 1].kind) {
                ++k;
                continue;
            }
            runs[k - 1].last = runs[k].last;
            runs[k - 1].end = runs[k].end;
            runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(k));
        }
    }
    stretches.insert(stretches.end(), runs.begin(), runs.end());
}

}  // namespace

std::string_view RegionClassName(RegionClass kind) {
    switch (kind) {
        case RegionClass::LiveHor:
            return "live HOR";
        case RegionClass::DivergedHor:
            return "diverged HOR";
        case RegionClass::Monomeric:
            return "monomeric";
        case RegionClass::NotSatellite:
            break;
    }
    return "not satellite";
}

namespace {

// The index in `before` of each segment of the same bases and strand, or -1.
std::vector<std::ptrdiff_t> SameSegments(const std::vector<Segment>& segments, const NearestMemo& before) {
    std::vector<std::ptrdiff_t> of(segments.size(), -1);
    std::size_t k = 0;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        while (k < before.segments.size() && before.segments[k].start < segments[i].start) ++k;
        if (k < before.segments.size() && before.segments[k].start == segments[i].start &&
            before.segments[k].end == segments[i].end && before.segments[k].reverse == segments[i].reverse) {
            of[i] = static_cast<std::ptrdiff_t>(k);
        }
    }
    return of;
}

}  // namespace

NearestCopy NearestCopies(std::string_view sequence, const std::vector<Segment>& segments,
                          const RegionSettings& settings, float cap, const NearestMemo* before,
                          NearestMemo* after) {
    const std::size_t count = segments.size();
    std::vector<std::string> pieces(count);
    std::vector<bool> satellite(count);
    for (std::size_t i = 0; i < count; ++i) {
        satellite[i] = segments[i].identity >= settings.satelliteIdentity;
        if (satellite[i]) pieces[i] = Forward(sequence, segments[i]);
    }
    // Distances to the following neighbours only; each pair is measured once.
    const std::size_t width = settings.neighbours;
    const bool reuse = before != nullptr && before->width == width && before->cap == cap;
    const std::vector<std::ptrdiff_t> old =
        reuse ? SameSegments(segments, *before) : std::vector<std::ptrdiff_t>();
    std::vector<float> measured(count * width, -1.0f);
    ParallelFor(
        count, settings.threads,
        [&](std::size_t i, unsigned) {
            if (!satellite[i] || pieces[i].empty()) return;
            const auto limit =
                static_cast<std::uint32_t>(cap * static_cast<float>(pieces[i].size()) / 100.0f);
            for (std::size_t k = 1; k <= width && i + k < count; ++k) {
                if (!satellite[i + k]) continue;
                float& distance = measured[i * width + k - 1];
                if (reuse && old[i] >= 0 && old[i + k] > old[i] &&
                    static_cast<std::size_t>(old[i + k] - old[i]) <= width) {
                    distance = before->ahead[static_cast<std::size_t>(old[i]) * width +
                                             static_cast<std::size_t>(old[i + k] - old[i]) - 1];
                    if (distance >= 0) continue;
                }
                const std::uint32_t edits = LevenshteinAtMost(pieces[i], pieces[i + k], limit);
                distance =
                    edits <= limit ? DistancePercent(static_cast<int>(edits), pieces[i].size()) : 100.0f;
            }
        },
        16);
    std::vector<float> ahead(measured);
    for (float& distance : ahead) distance = distance < 0 ? 100.0f : distance;
    if (after != nullptr) *after = {segments, std::move(measured), width, cap};
    NearestCopy nearest{std::vector<float>(count, 100.0f), std::vector<std::size_t>(count, 0)};
    const auto take = [&](std::size_t at, float distance, std::size_t offset) {
        nearest.distances[at] = std::min(nearest.distances[at], distance);
        if (nearest.offsets[at] == 0 || offset < nearest.offsets[at]) nearest.offsets[at] = offset;
    };
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t k = 1; k <= width && i + k < count; ++k) {
            const float distance = ahead[i * width + k - 1];
            if (distance >= 100.0f) continue;
            take(i, distance, k);
            take(i + k, distance, k);
        }
    }
    return nearest;
}

std::vector<ArrayStretch> ArrayRegions(const std::vector<std::string>& sequences,
                                       const std::vector<std::vector<Segment>>& segments,
                                       const RegionSettings& settings, const std::vector<NearestMemo>* before,
                                       std::vector<NearestMemo>* after) {
    std::vector<ArrayStretch> stretches;
    if (after != nullptr) after->assign(segments.size(), {});
    for (std::size_t r = 0; r < segments.size() && r < sequences.size(); ++r) {
        const std::vector<Segment>& record = segments[r];
        const NearestMemo* earlier = before != nullptr && r < before->size() ? &(*before)[r] : nullptr;
        const NearestCopy nearest = NearestCopies(sequences[r], record, settings, settings.divergedDistance,
                                                  earlier, after != nullptr ? &(*after)[r] : nullptr);
        RegionSettings own = settings;
        const float noise = NoiseFloor(record, nearest, settings);
        own.liveDistance += noise;
        std::vector<RegionClass> classes(record.size());
        for (std::size_t i = 0; i < record.size(); ++i) classes[i] = Classify(record, nearest, i, own);
        classes = Smooth(classes, settings.smoothing);
        for (std::size_t from = 0; from < record.size();) {
            std::size_t to = from + 1;
            while (to < record.size() && record[to].start - record[to - 1].end - 1 <= settings.maxGap) ++to;
            AddStretches(r, record, classes, from, to, settings, stretches);
            from = to;
        }
        for (auto s = stretches.rbegin(); s != stretches.rend() && s->record == r; ++s) s->noise = noise;
    }
    return stretches;
}

}  // namespace horgrid
