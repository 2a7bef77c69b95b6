#include "annotate/LikelyFamilies.h"

#include <algorithm>
#include <bit>

#include "sequence/Kmers.h"

namespace horgrid {
namespace {

constexpr std::size_t kMaxFamilies = 64;

}  // namespace

LikelyFamilies::LikelyFamilies(const std::vector<MonomerType>& families, const LikelyFamilySettings& settings)
    : settings_(settings), families_(families.size()) {
    if (families_ > kMaxFamilies || families_ == 0) return;
    const auto k = static_cast<std::size_t>(settings.k);
    classes_.assign(std::size_t{1} << (2 * k), Mask{});
    for (std::size_t f = 0; f < families_; ++f) {
        const std::uint64_t bit = std::uint64_t{1} << f;
        ForEachKmer(families[f].sequence, k, [&](std::size_t, std::uint64_t code) { classes_[code][0] |= bit; });
        ForEachKmer(ReverseComplement(families[f].sequence), k,
                    [&](std::size_t, std::uint64_t code) { classes_[code][1] |= bit; });
    }
}

// The oriented classes each block takes (block b: cells b ... b + blockCells - 1).
std::vector<LikelyFamilies::Mask> LikelyFamilies::BlockVotes(std::string_view bases) const {
    const std::size_t cell = settings_.cell;
    const std::size_t cells = (bases.size() + cell - 1) / cell;
    const std::size_t oriented = 2 * families_;
    std::vector<std::uint32_t> hits(cells * oriented, 0);  // per cell, per oriented class (2f + strand)
    ForEachKmer(bases, static_cast<std::size_t>(settings_.k), [&](std::size_t position, std::uint64_t code) {
        std::uint32_t* counts = hits.data() + position / cell * oriented;
        for (std::size_t strand = 0; strand < 2; ++strand) {
            for (std::uint64_t held = classes_[code][strand]; held != 0; held &= held - 1)
                ++counts[2 * static_cast<std::size_t>(std::countr_zero(held)) + strand];
        }
    });
    const std::size_t span = std::min(std::max<std::size_t>(settings_.blockCells, 1), cells);
    std::vector<Mask> votes(cells - span + 1, Mask{});
    std::vector<std::uint32_t> block(oriented);
    for (std::size_t b = 0; b < votes.size(); ++b) {
        std::fill(block.begin(), block.end(), 0);
        for (std::size_t c = b; c < b + span; ++c) {
            for (std::size_t o = 0; o < oriented; ++o) block[o] += hits[c * oriented + o];
        }
        const std::uint32_t best = *std::max_element(block.begin(), block.end());
        const std::size_t length = std::min(bases.size(), (b + span) * cell) - b * cell;
        if (best == 0 || 1000.0 * best < settings_.minHits * static_cast<double>(length)) continue;
        for (std::size_t o = 0; o < oriented; ++o) {
            if (block[o] + settings_.margin >= best) votes[b][o / 64] |= std::uint64_t{1} << (o % 64);
        }
    }
    return votes;
}

std::vector<TypeRun> LikelyFamilies::Runs(std::string_view bases) const {
    if (classes_.empty() || bases.empty() || settings_.cell == 0) return {};
    const std::vector<Mask> votes = BlockVotes(bases);
    const std::size_t cells = (bases.size() + settings_.cell - 1) / settings_.cell;
    const std::size_t span = cells - votes.size() + 1;
    // Cell c: the blocks overlapping cell c or c + 1.
    std::vector<Mask> allowed(cells, Mask{});
    std::vector<char> open(cells, 0);  // every class allowed
    for (std::size_t c = 0; c < cells; ++c) {
        const std::size_t first = c + 1 >= span ? c + 1 - span : 0;
        for (std::size_t b = first; b < votes.size() && b <= c + 1; ++b) {
            allowed[c][0] |= votes[b][0];
            allowed[c][1] |= votes[b][1];
        }
    }
    bool any = false;
    const std::size_t edge = settings_.edgeCells;
    for (std::size_t c = 0; c < cells; ++c) {
        const bool none = (allowed[c][0] | allowed[c][1]) == 0;
        any = any || !none;
        if (!none && c > 0 && c + 1 < cells) continue;
        for (std::size_t d = c >= edge ? c - edge : 0; d < cells && d <= c + edge; ++d) open[d] = 1;
    }
    if (!any) return {};
    const Mask every{families_ >= 32 ? ~std::uint64_t{0} : (std::uint64_t{1} << (2 * families_)) - 1,
                     families_ > 32 ? ~std::uint64_t{0} >> (128 - 2 * families_) : 0};
    std::vector<TypeRun> runs;
    for (std::size_t c = 0; c < cells; ++c) {
        if (open[c]) allowed[c] = every;
        const std::size_t end = std::min(bases.size(), (c + 1) * settings_.cell);
        if (c > 0 && allowed[c] == allowed[c - 1]) {
            runs.back().end = end;
            continue;
        }
        TypeRun run{end, {}};
        for (std::size_t o = 0; o < 2 * families_; ++o) {
            if ((allowed[c][o / 64] >> (o % 64)) & 1) run.oriented.push_back(static_cast<std::uint32_t>(o));
        }
        runs.push_back(std::move(run));
    }
    return runs;
}

}  // namespace horgrid
