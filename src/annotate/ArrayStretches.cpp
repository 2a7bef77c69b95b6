#include "annotate/Annotate.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>

namespace horgrid {

namespace {

// The numbers of a monomer part: "7" -> {7}, "3/7" -> {3, 7}, "6/7s" -> {6, 7}.
std::vector<long> MonomerNumbers(std::string_view part) {
    std::vector<long> numbers;
    for (std::size_t at = 0; at < part.size();) {
        long value = 0;
        const auto [end, error] = std::from_chars(part.data() + at, part.data() + part.size(), value);
        if (error == std::errc()) {
            numbers.push_back(value);
            at = static_cast<std::size_t>(end - part.data());
        } else {
            ++at;
        }
    }
    return numbers;
}

// The live HOR a name stands for in HOR order: its own when live, the live
// HOR of a variant ("S2C13/21H1-B") when known; "" else (classes, diverged HORs).
std::string OrderHor(std::string_view name, const std::set<std::string>& liveHors) {
    const std::string_view hor = HorOfName(name);
    if (hor.empty()) return "";
    if (IsLiveHor(hor)) return std::string(hor);
    const std::size_t h = hor.rfind('H');
    if (h == std::string_view::npos || hor.find('-', h) == std::string_view::npos) return "";
    std::string live = LiveHorOf(hor);
    return liveHors.contains(live) ? live : "";
}

// The HOR an array of monomers in HOR order is called: the HOR of the name
// itself, a variant's ("S3C17H1-B") too, when it stands in the order of a
// known live HOR; "" else.
std::string ArrayHor(std::string_view name, const std::set<std::string>& liveHors) {
    return OrderHor(name, liveHors).empty() ? "" : std::string(HorOfName(name));
}

// True when monomer `before` comes right before `after` in the order of one live HOR.
bool InHorOrder(std::string_view before, std::string_view after, const std::set<std::string>& liveHors) {
    const std::string hor = OrderHor(before, liveHors);
    if (hor.empty() || hor != OrderHor(after, liveHors)) return false;
    for (const long x : MonomerNumbers(MonomerOfName(before))) {
        for (const long y : MonomerNumbers(MonomerOfName(after))) {
            if (y == x + 1 || y == x + 2 || (y <= 2 && x > y + 1)) return true;
        }
    }
    return false;
}

// Per monomer: its nearest name stands in HOR order with both neighbours'
// (inside a run of at least three names in order).
std::vector<bool> InOrderMonomers(const std::vector<AnnotatedMonomer>& monomers,
                                  const std::set<std::string>& liveHors) {
    std::vector<bool> ordered(monomers.size(), false);  // in order with the one before
    const auto nearest = [&](std::size_t i) -> const std::string& {
        return monomers[i].nearest.empty() ? monomers[i].name : monomers[i].nearest;
    };
    for (std::size_t i = 1; i < monomers.size(); ++i) {
        const AnnotatedMonomer& left = monomers[i - 1];
        const AnnotatedMonomer& right = monomers[i];
        if (left.reverse != right.reverse || right.start - left.end > kAdjacentMonomers) continue;
        ordered[i] = right.reverse ? InHorOrder(nearest(i), nearest(i - 1), liveHors)
                                   : InHorOrder(nearest(i - 1), nearest(i), liveHors);
    }
    std::vector<bool> inOrder(monomers.size(), false);
    for (std::size_t i = 1; i + 1 < monomers.size(); ++i) inOrder[i] = ordered[i] && ordered[i + 1];
    return inOrder;
}

// Class keys: 0 monomeric, then one per (class, HOR); the key of every monomer.
struct ClassKeys {
    std::vector<std::pair<ArrayClass, std::string>> keys;
    std::vector<int> key;
};

ClassKeys KeyMonomers(const std::vector<AnnotatedMonomer>& monomers, const AnnotationSettings& settings,
                      const std::set<std::string>& liveHors) {
    const std::vector<bool> inOrder = InOrderMonomers(monomers, liveHors);
    // A live HOR's monomer out of HOR order is live within liveLimit of its
    // standard monomer, or within half of it of the median identity of the
    // monomers in HOR order: in a read every monomer lies a few per cent
    // further from its standard monomer, those that break HOR order too. So
    // a monomer beyond nameLimit of every standard monomer is its nearest
    // one's within half of nameLimit of that median.
    const auto identity = [&](std::size_t i) {
        return monomers[i].nearest.empty() ? monomers[i].identity : monomers[i].nearestIdentity;
    };
    std::vector<double> ordered;
    for (std::size_t i = 0; i < monomers.size(); ++i) {
        if (inOrder[i]) ordered.push_back(identity(i));
    }
    double liveFloor = 100 - settings.liveLimit;
    double nameFloor = 100 - settings.nameLimit;
    if (!ordered.empty()) {
        std::nth_element(ordered.begin(), ordered.begin() + static_cast<std::ptrdiff_t>(ordered.size() / 2), ordered.end());
        liveFloor = std::min(liveFloor, ordered[ordered.size() / 2] - settings.liveLimit / 2);
        nameFloor = std::min(nameFloor, ordered[ordered.size() / 2] - settings.nameLimit / 2);
    }
    std::map<std::pair<ArrayClass, std::string>, int> keyOf;
    ClassKeys found;
    found.keys = {{ArrayClass::Monomeric, ""}};
    keyOf[found.keys[0]] = 0;
    found.key.assign(monomers.size(), 0);
    for (std::size_t i = 0; i < monomers.size(); ++i) {
        const bool named = monomers[i].horName || (!monomers[i].nearest.empty() && identity(i) >= nameFloor);
        const std::string_view hor = HorOfName(monomers[i].horName ? monomers[i].name : monomers[i].nearest);
        std::pair<ArrayClass, std::string> k{ArrayClass::DivergedHor, std::string(hor)};
        if (inOrder[i]) {
            k = {ArrayClass::LiveHor,
                 ArrayHor(monomers[i].nearest.empty() ? monomers[i].name : monomers[i].nearest, liveHors)};
        } else if (!named || hor.empty()) {
            continue;
        } else if (identity(i) >= liveFloor) {
            if (IsLiveHor(hor)) {
                k.first = ArrayClass::LiveHor;
            } else if (const std::string live = LiveHorOf(hor); liveHors.contains(live)) {
                k = {ArrayClass::LiveHor, live};
            }
        }
        const auto [it, added] = keyOf.emplace(k, static_cast<int>(found.keys.size()));
        if (added) found.keys.push_back(k);
        found.key[i] = it->second;
    }
    return found;
}

using Runs = std::vector<std::pair<std::size_t, int>>;  // (length, key)

// The window around each monomer of [begin, end) votes in two levels: live or
// not (ties keep the monomer's own level), then, when not live, another HOR's
// monomer or monomeric; the key is the most frequent one of the winning kind
// (ties: the monomer's own, then the lowest).
std::vector<int> SmoothKeys(const ClassKeys& classes, std::size_t begin, std::size_t end, std::size_t half) {
    const std::vector<int>& key = classes.key;
    const auto level = [&](int k) { return classes.keys[static_cast<std::size_t>(k)].first; };
    std::vector<int> smooth(end - begin);
    for (std::size_t i = begin; i < end; ++i) {
        std::map<int, std::size_t> votes;
        std::size_t live = 0, diverged = 0, total = 0;
        for (std::size_t j = i > begin + half ? i - half : begin; j < std::min(end, i + half + 1); ++j) {
            ++votes[key[j]];
            ++total;
            live += level(key[j]) == ArrayClass::LiveHor;
            diverged += level(key[j]) == ArrayClass::DivergedHor;
        }
        const bool ownLive = level(key[i]) == ArrayClass::LiveHor;
        ArrayClass kind = ArrayClass::LiveHor;
        if (2 * live < total || (2 * live == total && !ownLive)) {
            const std::size_t rest = total - live;
            const bool ownDiverged = level(key[i]) == ArrayClass::DivergedHor;
            kind = 2 * diverged > rest || (2 * diverged == rest && ownDiverged) ? ArrayClass::DivergedHor
                                                                                : ArrayClass::Monomeric;
        }
        int winner = level(key[i]) == kind ? key[i] : -1;
        for (const auto& [k, n] : votes) {
            if (level(k) == kind && (winner < 0 || n > votes[winner])) winner = k;
        }
        smooth[i - begin] = winner;
    }
    return smooth;
}

// Neighbouring runs of one key become one.
void JoinEqual(Runs& runs) {
    for (std::size_t r = 1; r < runs.size();) {
        if (runs[r].second == runs[r - 1].second) {
            runs[r - 1].first += runs[r].first;
            runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(r));
        } else {
            ++r;
        }
    }
}

// Runs of one key; short runs between two others join their longer neighbour
// until none is left, except that a run that is not live never makes a live
// array longer when the other neighbour is not live.
Runs JoinShortRuns(const std::vector<int>& smooth, const ClassKeys& classes, std::size_t minMonomers) {
    Runs runs;
    for (const int k : smooth) {
        if (!runs.empty() && runs.back().second == k) {
            ++runs.back().first;
        } else {
            runs.push_back({1, k});
        }
    }
    const auto live = [&](std::size_t r) {
        return classes.keys[static_cast<std::size_t>(runs[r].second)].first == ArrayClass::LiveHor;
    };
    while (runs.size() > 2) {
        std::size_t shortest = 1;
        for (std::size_t r = 2; r + 1 < runs.size(); ++r) {
            if (runs[r].first < runs[shortest].first) shortest = r;
        }
        if (runs[shortest].first >= minMonomers) break;
        std::size_t into = runs[shortest + 1].first > runs[shortest - 1].first ? shortest + 1 : shortest - 1;
        if (!live(shortest) && live(shortest - 1) != live(shortest + 1))
            into = live(shortest - 1) ? shortest + 1 : shortest - 1;
        runs[into].first += runs[shortest].first;
        runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(shortest));
        JoinEqual(runs);
    }
    return runs;
}

// A variant HOR's run too short for an array beside a run of its live HOR
// joins it: a few copies of a variant inside (or at the end of) the live
// array are no array of their own.
void JoinShortVariants(Runs& runs, const ClassKeys& classes, std::size_t minMonomers) {
    const auto& key = [&](std::size_t r) -> const auto& { return classes.keys[static_cast<std::size_t>(runs[r].second)]; };
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const auto& [kind, hor] = key(r);
        if (kind != ArrayClass::LiveHor || IsLiveHor(hor) || runs[r].first >= minMonomers) continue;
        for (const std::size_t n : {r + 1, r - 1}) {
            if (n >= runs.size() || key(n).first != ArrayClass::LiveHor || key(n).second != LiveHorOf(hor)) continue;
            runs[r].second = runs[n].second;
            break;
        }
    }
    JoinEqual(runs);
}

// A diverged HOR's run too short for an array, with monomeric alpha satellite
// (or nothing) on both sides, is monomeric: a few monomers nearest to some
// HOR's are no array of that HOR.
void DemoteShortDiverged(Runs& runs, const ClassKeys& classes, std::size_t minMonomers) {
    const auto kind = [&](std::size_t r) { return classes.keys[static_cast<std::size_t>(runs[r].second)].first; };
    for (std::size_t r = 0; r < runs.size(); ++r) {
        if (kind(r) == ArrayClass::DivergedHor && runs[r].first < minMonomers &&
            (r == 0 || kind(r - 1) == ArrayClass::Monomeric) &&
            (r + 1 == runs.size() || kind(r + 1) == ArrayClass::Monomeric)) {
            runs[r].second = 0;
        }
    }
    JoinEqual(runs);
}

}  // namespace

std::vector<NamedStretch> FindArrayStretches(const std::vector<AnnotatedMonomer>& monomers,
                                             const AnnotationSettings& settings,
                                             const std::set<std::string>& liveHors) {
    const ClassKeys classes = KeyMonomers(monomers, settings, liveHors);
    std::vector<NamedStretch> stretches;
    for (std::size_t begin = 0; begin < monomers.size();) {
        std::size_t end = begin + 1;
        while (end < monomers.size() && monomers[end].start - monomers[end - 1].end <= settings.maxGap) ++end;
        const std::vector<int> smooth = SmoothKeys(classes, begin, end, settings.minArrayMonomers / 2);
        Runs runs = JoinShortRuns(smooth, classes, settings.minArrayMonomers);
        JoinShortVariants(runs, classes, settings.minArrayMonomers);
        DemoteShortDiverged(runs, classes, settings.minArrayMonomers);
        std::size_t first = begin;
        for (const auto& [length, k] : runs) {
            const auto& [kind, hor] = classes.keys[static_cast<std::size_t>(k)];
            stretches.push_back({first, first + length, kind, hor});
            first += length;
        }
        begin = end;
    }
    return stretches;
}

}  // namespace horgrid
