#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "decompose/Decompose.h"

namespace horgrid {

// What a stretch of a decomposition is.
enum class RegionClass {
    LiveHor,      // monomers with a close copy a few monomers away: a homogeneous tandem array
    DivergedHor,  // monomers whose nearest copy nearby is further off: an old, decayed array
    Monomeric,    // satellite monomers without copies nearby
    NotSatellite  // segments that match no monomer well
};

// "live HOR", "diverged HOR", "monomeric", "not satellite".
std::string_view RegionClassName(RegionClass kind);

struct RegionSettings {
    double satelliteIdentity = 70;  // a segment of lower identity is not satellite, percent
    float liveDistance = 10;        // nearest copy at most this far: live, percent
    float divergedDistance = 30;    // ... at most this far: diverged; further: monomeric
    std::size_t neighbours = 50;    // copies are looked for this many segments either side
    std::size_t smoothing = 10;     // a segment takes the majority class of this many either side
    std::size_t minSegments = 8;    // shorter stretches join a neighbour
    std::int64_t maxGap = 1000;     // bases between two segments of one stretch
    unsigned threads = 1;
};

// One stretch of one record's decomposition.
struct ArrayStretch {
    std::size_t record = 0;
    std::size_t first = 0;   // index of its first segment in the record's list
    std::size_t last = 0;    // index of its last segment, inclusive
    std::int64_t start = 0;  // 0-based first base
    std::int64_t end = 0;    // 0-based last base, inclusive
    RegionClass kind = RegionClass::NotSatellite;
    float noise = 0;  // the record's NoiseFloor: what its live distance was raised by, percent
};

// Per segment of a record: the distance (percent of the segment's length) to
// the nearest other segment at most `neighbours` segments away, both turned
// to the forward strand, and the offset (in segments, either way) of the
// closest segment within `cap` percent; 100 and 0 when none lies within `cap`,
// and for segments below `satelliteIdentity` (which are not compared).
struct NearestCopy {
    std::vector<float> distances;
    std::vector<std::size_t> offsets;
};
// What NearestCopies measured, for a later call on a decomposition that
// keeps most segments: a pair of segments of the same bases, strands and
// offset has the same distance.
struct NearestMemo {
    std::vector<Segment> segments;
    std::vector<float> ahead;  // per segment, the distances to the next `width`; -1 where not measured
    std::size_t width = 0;
    float cap = 0;
};
// With `before`, the pairs it measured are taken from it; `after` gets this
// call's pairs.
NearestCopy NearestCopies(std::string_view sequence, const std::vector<Segment>& segments,
                          const RegionSettings& settings, float cap, const NearestMemo* before = nullptr,
                          NearestMemo* after = nullptr);

// The stretches of every record's decomposition, in record and position
// order, covering every segment once. Each segment is classed by its identity
// and its nearest copy (NearestCopies), the classes are smoothed by a majority
// over `smoothing` segments either side, and runs shorter than `minSegments`
// join the longer neighbour. Classes: identity below satelliteIdentity: not
// satellite; nearest copy within liveDistance: live HOR; within
// divergedDistance with the period of its neighbours (the closest copies of
// two of the four nearest segments as many segments away, at least two):
// diverged HOR;
// else monomeric. The smoothing votes three times, each among the segments
// the previous vote leaves: satellite or not, live or not, diverged or
// monomeric. A gap of more than
// `maxGap` bases ends a stretch.
// Pure: `sequences` and `segments` are one entry per record.
// `before` and `after`: one NearestMemo per record, as NearestCopies; the
// stretches are the same with or without.
std::vector<ArrayStretch> ArrayRegions(const std::vector<std::string>& sequences,
                                       const std::vector<std::vector<Segment>>& segments,
                                       const RegionSettings& settings,
                                       const std::vector<NearestMemo>* before = nullptr,
                                       std::vector<NearestMemo>* after = nullptr);

}  // namespace horgrid
