#include "infer/Inference.h"

#include <algorithm>
#include <cctype>
#include <numeric>

#include "common/NumberFormat.h"
#include "common/Parallel.h"
#include "decompose/Decompose.h"
#include "ensemble/SupracromReferences.h"
#include "infer/ChunkedDecompose.h"
#include "infer/MedoidConsensus.h"
#include "infer/LeaderClusters.h"
#include "sequence/DistancePercent.h"
#include "sequence/EditDistance.h"

namespace horgrid {
namespace {

using Decomposition = std::vector<std::vector<Segment>>;

struct Group {
    std::vector<std::size_t> members;  // indices into the round's segment pieces
    std::string consensus;
};

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

bool OnlyAcgt(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c == 'A' || c == 'C' || c == 'G' || c == 'T'; });
}

Decomposition DecomposeAll(const std::vector<std::string>& sequences, const std::vector<MonomerType>& set,
                           const InferSettings& settings) {
    if (set.empty()) return Decomposition(sequences.size());
    return DecomposeInWindows(sequences, set, settings.scoring, settings.threads);
}

RoundReport Report(std::size_t round, std::size_t monomers, const Decomposition& segments) {
    RoundReport report{round, monomers, 0, 0};
    std::size_t count = 0;
    for (const std::vector<Segment>& record : segments) {
        for (const Segment& segment : record) {
            report.score += segment.score;
            report.identity += segment.identity;
            ++count;
        }
    }
    if (count > 0) report.identity /= static_cast<double>(count);
    return report;
}

// The alpha-satellite segments of a decomposition, forward strand.
std::vector<std::string> Pieces(const std::vector<std::string>& sequences, const Decomposition& segments,
                                const std::vector<MonomerType>& set, const InferSettings& settings,
                                std::vector<double>& identities) {
    std::vector<std::string> pieces;
    for (std::size_t r = 0; r < sequences.size(); ++r) {
        for (const Segment& segment : segments[r]) {
            if (segment.identity < settings.minIdentity) continue;
            const std::string_view piece(sequences[r].data() + segment.start,
                                         static_cast<std::size_t>(segment.end - segment.start + 1));
            const std::size_t typeLength = set[segment.type].sequence.size();
            if (!OnlyAcgt(piece) || piece.size() * 2 < typeLength || piece.size() > typeLength * 2) continue;
            pieces.push_back(segment.reverse ? ReverseComplement(piece) : std::string(piece));
            identities.push_back(segment.identity);
        }
    }
    return pieces;
}

std::string GroupSequence(const std::vector<std::size_t>& members,
                          const std::vector<std::string_view>& pieces, std::size_t sample) {
    std::vector<std::string_view> spread;
    const std::size_t count = std::min(members.size(), sample);
    for (std::size_t k = 0; k < count; ++k) spread.push_back(pieces[members[k * members.size() / count]]);
    const std::size_t medoid = GroupMedoid(spread);
    return MedoidConsensus().Consensus(spread, spread[medoid]);
}

bool Close(const std::string& a, const std::string& b, float limit) {
    return !a.empty() && DistancePercent(static_cast<int>(Levenshtein(a, b)), a.size()) < limit;
}

// Groups of one round, largest first, after merging close ones.
std::vector<Group> RoundGroups(const std::vector<std::string>& pieces, const std::vector<double>& identities,
                               const InferSettings& settings) {
    const std::vector<std::string_view> views(pieces.begin(), pieces.end());
    std::vector<std::size_t> order(pieces.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return identities[a] > identities[b]; });
    std::vector<Group> groups;
    for (std::vector<std::size_t>& members :
         LeaderClusters(views, order, settings.closeness, settings.threads)) {
        if (members.size() >= settings.minCount) groups.push_back({std::move(members), {}});
    }
    ParallelFor(groups.size(), settings.threads, [&](std::size_t g, unsigned) {
        groups[g].consensus = GroupSequence(groups[g].members, views, settings.consensusSample);
    });
    const auto bySize = [](const Group& a, const Group& b) { return a.members.size() > b.members.size(); };
    std::stable_sort(groups.begin(), groups.end(), bySize);
    for (std::size_t i = 0; i < groups.size(); ++i) {
        for (std::size_t j = i + 1; j < groups.size(); ++j) {
            if (!Close(groups[i].consensus, groups[j].consensus, settings.mergeLimit)) continue;
            std::vector<std::size_t>& members = groups[i].members;
            members.insert(members.end(), groups[j].members.begin(), groups[j].members.end());
            std::sort(members.begin(), members.end());
            groups[i].consensus = GroupSequence(members, views, settings.consensusSample);
            groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(j));
            j = i;  // the merged consensus may now be close to one passed over
        }
    }
    std::stable_sort(groups.begin(), groups.end(), bySize);
    return groups;
}

// "M1", "M2", ... (built by appending: GCC 12 warns falsely on "M" + string).
std::string MonomerName(std::size_t index) {
    std::string name = "M";
    name += std::to_string(index + 1);
    return name;
}

std::vector<std::string> Sorted(const std::vector<MonomerType>& set) {
    std::vector<std::string> sequences;
    for (const MonomerType& type : set) sequences.push_back(type.sequence);
    std::sort(sequences.begin(), sequences.end());
    return sequences;
}

// Renames the set M1, M2, ...: the HOR unit in unit order, then the other
// types by falling segment count.
void NameInHorOrder(Inference& result, const std::vector<std::size_t>& counts) {
    const std::size_t size = result.monomers.size();
    std::vector<std::size_t> order(result.hor.unit);
    std::vector<std::size_t> rest;
    for (std::size_t type = 0; type < size; ++type) {
        if (std::find(order.begin(), order.end(), type) == order.end()) rest.push_back(type);
    }
    std::stable_sort(rest.begin(), rest.end(),
                     [&](std::size_t a, std::size_t b) { return counts[a] > counts[b]; });
    order.insert(order.end(), rest.begin(), rest.end());
    std::vector<std::size_t> rank(size);
    std::vector<MonomerType> named(size);
    for (std::size_t k = 0; k < size; ++k) {
        rank[order[k]] = k;
        named[k] = {MonomerName(k), result.monomers[order[k]].sequence};
    }
    result.monomers = std::move(named);
    const auto rename = [&](std::vector<std::size_t>& types) {
        for (std::size_t& type : types) type = rank[type];
    };
    for (std::vector<Segment>& record : result.segments) {
        for (Segment& segment : record) segment.type = rank[segment.type];
    }
    rename(result.hor.unit);
    for (HorCopy& copy : result.hor.copies) {
        rename(copy.types);
        rename(copy.lacks);
        rename(copy.adds);
    }
}

}  // namespace

std::vector<MonomerType> FamilyReferenceTemplates() {
    std::vector<MonomerType> references;
    for (const SupracromReference& reference : kSupracromReferences) {
        references.push_back({std::string(reference.name), std::string(reference.sequence)});
    }
    return references;
}

Inference InferMonomers(const std::vector<std::string>& input, const std::vector<MonomerType>& templates,
                        const InferSettings& settings,
                        const std::function<void(const RoundReport&)>& onRound) {
    std::vector<std::string> sequences;
    for (const std::string& sequence : input) sequences.push_back(Upper(sequence));
    std::vector<MonomerType> set;
    for (const MonomerType& type : templates) set.push_back({type.name, Upper(type.sequence)});

    Inference result;
    Decomposition segments;
    bool decomposed = false;  // `segments` belong to `set`
    for (std::size_t round = 1; round <= settings.maxRounds; ++round) {
        segments = DecomposeAll(sequences, set, settings);
        onRound(Report(round, set.size(), segments));
        std::vector<double> identities;
        const std::vector<std::string> pieces = Pieces(sequences, segments, set, settings, identities);
        std::vector<MonomerType> next;
        for (const Group& group : RoundGroups(pieces, identities, settings)) {
            next.push_back({MonomerName(next.size()), group.consensus});
        }
        decomposed = Sorted(next) == Sorted(set);
        if (decomposed) break;  // keeps the order `segments` refer to
        set = std::move(next);
        if (set.empty()) break;
    }
    if (!decomposed) {
        segments = DecomposeAll(sequences, set, settings);
        if (!set.empty()) onRound(Report(0, set.size(), segments));
    }
    if (set.empty()) {
        result.segments.assign(sequences.size(), {});
        return result;
    }
    result.monomers = std::move(set);
    result.segments = std::move(segments);
    std::vector<TypedMonomer> typed;
    std::vector<std::size_t> counts(result.monomers.size(), 0);
    for (std::size_t r = 0; r < result.segments.size(); ++r) {
        for (const Segment& segment : result.segments[r]) {
            if (segment.identity < settings.minIdentity) continue;
            typed.push_back({r, segment.start, segment.end, segment.type, segment.reverse});
            ++counts[segment.type];
        }
    }
    result.hor = FindHor(std::move(typed));
    NameInHorOrder(result, counts);
    return result;
}

}  // namespace horgrid
