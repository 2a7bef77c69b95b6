#include "satellite/CenSatTrack.h"

#include <algorithm>
#include <map>

#include "satellite/OwnHorOrder.h"

namespace horgrid {
namespace {

struct Span {
    std::int64_t start = 0;
    std::int64_t end = 0;
};

std::vector<Span> RunsOfN(std::string_view sequence) {
    std::vector<Span> runs;
    const auto n = static_cast<std::int64_t>(sequence.size());
    for (std::int64_t x = 0; x < n;) {
        if (sequence[static_cast<std::size_t>(x)] != 'N' && sequence[static_cast<std::size_t>(x)] != 'n') {
            ++x;
            continue;
        }
        std::int64_t y = x;
        while (y < n && (sequence[static_cast<std::size_t>(y)] == 'N' || sequence[static_cast<std::size_t>(y)] == 'n')) {
            ++y;
        }
        runs.push_back({x, y});
        x = y;
    }
    return runs;
}

// The parts of [start, end) outside every span of `taken` (sorted, disjoint).
std::vector<Span> Outside(std::int64_t start, std::int64_t end, const std::vector<Span>& taken) {
    std::vector<Span> parts;
    auto it = std::lower_bound(taken.begin(), taken.end(), start,
                               [](const Span& span, std::int64_t at) { return span.end <= at; });
    for (; it != taken.end() && it->start < end; ++it) {
        if (it->start > start) parts.push_back({start, it->start});
        start = std::max(start, it->end);
    }
    if (start < end) parts.push_back({start, end});
    return parts;
}

std::vector<Span> Merged(std::vector<Span> spans) {
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
    std::vector<Span> merged;
    for (const Span& span : spans) {
        if (!merged.empty() && span.start <= merged.back().end) {
            merged.back().end = std::max(merged.back().end, span.end);
        } else {
            merged.push_back(span);
        }
    }
    return merged;
}

bool KnownFamily(const AlphaArrayCall& array) { return !array.family.empty() && array.family != "-"; }

// Stretches of a monomeric array looked at for its own HOR order: at most
// kOrderPieces of kOrderPiece bases, spread along it.
constexpr std::int64_t kOrderPiece = 20000;
constexpr std::int64_t kOrderPieces = 8;

// A HOR array no human standard name describes (its named monomers on average
// farther from them than one monomer type, its HOR copies closer to each other
// than to them) takes its family as its HOR.
AlphaArrayCall ApeNamed(AlphaArrayCall array, const CenSatSettings& settings) {
    if (KnownFamily(array) && array.kind != ArrayClass::Monomeric &&
        array.meanIdentity < settings.minHumanIdentity && array.copyIdentity > array.meanIdentity) {
        array.hor = array.family;
    }
    return array;
}

// A run of monomeric arrays of one known family, each at most maxBridge from
// the next with no other satellite between them, whose own bases show HOR
// order (satellite/OwnHorOrder.h) in every looked-at stretch is one HOR array
// of that family, live or diverged by its copies; `mon/hor(SFn)` when only
// some stretches show the order. (Monomers far from every standard one are
// found only in part: an ape HOR array may come as many short arrays.)
void NameMonomericRun(std::string_view sequence, std::vector<AlphaArrayCall> run, std::vector<AlphaArrayCall>& named) {
    AlphaArrayCall array = run.front();
    array.end = run.back().end;
    const std::int64_t length = array.end - array.start;
    const std::int64_t pieces = std::clamp<std::int64_t>(length / kOrderPiece, 1, kOrderPieces);
    const std::int64_t piece = std::min(length, kOrderPiece);
    std::int64_t ordered = 0, live = 0, forward = 0;
    for (std::int64_t p = 0; p < pieces; ++p) {
        const std::int64_t at = array.start + (pieces > 1 ? p * (length - piece) / (pieces - 1) : 0);
        const OwnHorOrder order = FindOwnHorOrder(sequence, at, at + piece);
        ordered += order.period > 0;
        live += order.Live();
    }
    if (ordered == 0) {
        named.insert(named.end(), run.begin(), run.end());
        return;
    }
    for (const AlphaArrayCall& part : run) forward += (part.reverse ? -1 : 1) * (part.end - part.start);
    array.reverse = forward < 0;
    array.hor = array.family;
    if (ordered < pieces) {
        array.hor = "mon/hor(" + array.family + ")";
    } else {
        array.kind = 2 * live >= pieces ? ArrayClass::LiveHor : ArrayClass::DivergedHor;
    }
    named.push_back(std::move(array));
}

// The alpha arrays as their labels are decided on (ApeNamed, NameMonomericRun).
std::vector<AlphaArrayCall> NamedArrays(std::string_view sequence, const std::vector<AlphaArrayCall>& alpha,
                                        const std::vector<SatelliteCall>& calls, const CenSatSettings& settings) {
    std::vector<AlphaArrayCall> named;
    std::vector<AlphaArrayCall> run;
    const auto joins = [&](const AlphaArrayCall& array) {
        if (run.empty() || array.family != run.back().family || array.start - run.back().end > settings.maxBridge) {
            return false;
        }
        return std::none_of(calls.begin(), calls.end(), [&](const SatelliteCall& call) {
            return call.start < array.start && call.end > run.back().end;
        });
    };
    for (const AlphaArrayCall& array : alpha) {
        const bool monomeric = array.kind == ArrayClass::Monomeric && KnownFamily(array);
        if (!run.empty() && !(monomeric && joins(array))) {
            NameMonomericRun(sequence, std::move(run), named);
            run.clear();
        }
        if (monomeric) {
            run.push_back(array);
        } else {
            named.push_back(ApeNamed(array, settings));
        }
    }
    if (!run.empty()) NameMonomericRun(sequence, std::move(run), named);
    return named;
}

std::string AlphaName(const AlphaArrayCall& array, bool active) {
    switch (array.kind) {
        case ArrayClass::LiveHor: return (active ? "active_hor(" : "hor(") + array.hor + ")";
        case ArrayClass::DivergedHor: return "dhor(" + array.hor + ")";
        case ArrayClass::Monomeric: break;
    }
    return array.hor.starts_with("mon/hor(") ? array.hor : "mon";
}

bool ShortHorArray(const AlphaArrayCall* array, const CenSatSettings& settings) {
    return array != nullptr && array->kind != ArrayClass::Monomeric && array->unitBases > 0 &&
           array->end - array->start < settings.mixedCopies * array->unitBases;
}

// Joins each run of short HOR arrays of two or more HORs into one
// mixedAlpha item (its source is none: it is named here).
void JoinMixed(std::vector<CenSatItem>& items, std::vector<const AlphaArrayCall*>& source,
               const CenSatSettings& settings) {
    std::vector<CenSatItem> joined;
    std::vector<const AlphaArrayCall*> joinedSource;
    for (std::size_t i = 0; i < items.size();) {
        std::size_t j = i + 1;
        if (ShortHorArray(source[i], settings)) {
            while (j < items.size() && ShortHorArray(source[j], settings) &&
                   items[j].start - items[j - 1].end <= settings.maxBridge) {
                ++j;
            }
        }
        std::vector<std::string> hors;
        for (std::size_t k = i; k < j; ++k) {
            if (source[k]) hors.push_back(source[k]->hor);
        }
        std::sort(hors.begin(), hors.end());
        hors.erase(std::unique(hors.begin(), hors.end()), hors.end());
        if (hors.size() < 2) {
            for (std::size_t k = i; k < j; ++k) {
                joined.push_back(std::move(items[k]));
                joinedSource.push_back(source[k]);
            }
            i = j;
            continue;
        }
        std::string name = "mixedAlpha(";
        std::int64_t forward = 0;
        for (std::size_t k = 0; k < hors.size(); ++k) name += (k ? "," : "") + hors[k];
        for (std::size_t k = i; k < j; ++k) forward += (items[k].reverse ? -1 : 1) * (items[k].end - items[k].start);
        joined.push_back({items[i].start, items[j - 1].end, name + ")", CenSatKind::Alpha, forward < 0});
        joinedSource.push_back(nullptr);
        i = j;
    }
    items = std::move(joined);
    source = std::move(joinedSource);
}

// Names the alpha arrays: the largest live HOR array of each centromeric
// region (chain of items joined by ct or touching) is active.
void NameAlpha(std::vector<CenSatItem>& items, const std::vector<const AlphaArrayCall*>& source,
               const CenSatSettings& settings) {
    std::size_t regionStart = 0;
    for (std::size_t i = 0; i <= items.size(); ++i) {
        const bool cut = i == items.size() || i == 0 || items[i].kind == CenSatKind::Gap ||
                         items[i - 1].kind == CenSatKind::Gap ||
                         items[i].start - items[i - 1].end > settings.maxTransition;
        if (!cut) continue;
        std::size_t best = items.size();
        for (std::size_t j = regionStart; j < i; ++j) {
            if (items[j].kind != CenSatKind::Alpha || !source[j] || source[j]->kind != ArrayClass::LiveHor) continue;
            if (best == items.size() || items[j].end - items[j].start > items[best].end - items[best].start) best = j;
        }
        for (std::size_t j = regionStart; j < i; ++j) {
            if (items[j].kind == CenSatKind::Alpha && source[j]) items[j].name = AlphaName(*source[j], j == best);
        }
        regionStart = i;
    }
}

}  // namespace

std::vector<CenSatItem> BuildCenSatTrack(std::string_view sequence, const std::vector<AlphaArrayCall>& alpha,
                                         const std::vector<SatelliteCall>& calls,
                                         const std::vector<std::string>& labels, const CenSatSettings& settings) {
    const std::vector<Span> gaps = RunsOfN(sequence);
    std::vector<CenSatItem> items;
    std::vector<const AlphaArrayCall*> source;
    for (const Span& gap : gaps) {
        items.push_back({gap.start, gap.end, "GAP", CenSatKind::Gap, false});
        source.push_back(nullptr);
    }
    const std::vector<AlphaArrayCall> named = NamedArrays(sequence, alpha, calls, settings);
    std::vector<Span> alphaSpans;
    for (const AlphaArrayCall& array : named) {
        for (const Span& part : Outside(array.start, array.end, gaps)) {
            items.push_back({part.start, part.end, "", CenSatKind::Alpha, array.reverse});
            source.push_back(&array);
            alphaSpans.push_back(part);
        }
    }
    alphaSpans.insert(alphaSpans.end(), gaps.begin(), gaps.end());
    const std::vector<Span> taken = Merged(std::move(alphaSpans));
    for (const SatelliteCall& call : calls) {
        for (const Span& part : Outside(call.start, call.end, taken)) {
            if (part.end - part.start < settings.minSatellite) continue;
            items.push_back({part.start, part.end, labels[call.label], CenSatKind::Satellite, call.reverse});
            source.push_back(nullptr);
        }
    }
    std::vector<std::size_t> order(items.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return items[a].start < items[b].start; });
    std::vector<CenSatItem> sorted;
    std::vector<const AlphaArrayCall*> sortedSource;
    for (const std::size_t i : order) {
        // Alpha arrays of neighbouring stretches may touch or cross: the earlier keeps its bases.
        CenSatItem item = items[i];
        if (!sorted.empty()) item.start = std::max(item.start, sorted.back().end);
        if (item.end <= item.start) continue;
        sorted.push_back(std::move(item));
        sortedSource.push_back(source[i]);
    }
    JoinMixed(sorted, sortedSource, settings);
    NameAlpha(sorted, sortedSource, settings);
    std::vector<CenSatItem> track;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        if (!track.empty() && track.back().kind != CenSatKind::Gap && track.back().name == sorted[i].name &&
            sorted[i].start - track.back().end <= settings.maxBridge) {
            if (sorted[i].end - sorted[i].start > track.back().end - track.back().start) {
                track.back().reverse = sorted[i].reverse;
            }
            track.back().end = sorted[i].end;
            continue;
        }
        if (i > 0 && sorted[i].kind != CenSatKind::Gap && sorted[i - 1].kind != CenSatKind::Gap &&
            sorted[i].start > sorted[i - 1].end && sorted[i].start - sorted[i - 1].end <= settings.maxTransition) {
            track.push_back({sorted[i - 1].end, sorted[i].start, "ct", CenSatKind::Transition, false});
        }
        track.push_back(std::move(sorted[i]));
    }
    return track;
}

std::string_view CenSatColour(std::string_view name) {
    static const std::map<std::string_view, std::string_view> kColours = {
        {"active_hor", "153,0,0"}, {"hor", "255,102,0"},   {"dhor", "255,146,0"},  {"mon", "255,204,153"},
        {"mon/hor", "255,204,153"},
        {"mixedAlpha", "204,0,0"}, {"HSat1A", "0,222,96"}, {"HSat1B", "27,153,139"}, {"HSat2", "0,128,250"},
        {"HSat3", "51,81,137"},    {"bSat", "250,153,255"}, {"gSat", "172,51,199"}, {"cenSat", "0,204,204"},
        {"rDNA", "102,47,144"},    {"ct", "224,224,224"},  {"GAP", "0,0,0"}};
    const auto it = kColours.find(name.substr(0, name.find('(')));
    return it == kColours.end() ? std::string_view("0,204,204") : it->second;
}

}  // namespace horgrid
