#include "sequence/LevenshteinBatch.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "sequence/MyersCore.h"

namespace horgrid {

namespace {

using batch::kLanes;

// Masks larger than both of these use the scalar fallback instead.
constexpr std::size_t kTableFloorBytes = std::size_t{64} << 20;
constexpr std::size_t kTableBytesPerSequenceByte = 16;

constexpr std::size_t kAlignWords = 8;  // 64 bytes

std::uint64_t* AlignedStart(std::vector<std::uint64_t>& storage, std::size_t words) {
    storage.assign(words + kAlignWords, 0);
    void* start = storage.data();
    std::size_t space = storage.size() * sizeof(std::uint64_t);
    return static_cast<std::uint64_t*>(std::align(64, words * sizeof(std::uint64_t), start, space));
}

batch::GroupKernel KernelFor(InstructionSet set) {
#if defined(__x86_64__)
    if (set == InstructionSet::Avx512Vbmi2) return batch::GroupDistancesAvx512Vbmi2;
    if (set == InstructionSet::Avx512) return batch::GroupDistancesAvx512;
    if (set == InstructionSet::Avx2) return batch::GroupDistancesAvx2;
#endif
    (void)set;  // only the portable kernel elsewhere
    return batch::GroupDistancesPortable;
}

// The requested instruction set if this machine runs it, else the best one below it.
InstructionSet Runnable(InstructionSet set) {
    if (set == InstructionSet::Avx512Vbmi2 && !InstructionSetSupported(set)) set = InstructionSet::Avx512;
    if (set == InstructionSet::Avx512 && !InstructionSetSupported(set)) set = InstructionSet::Avx2;
    if (set == InstructionSet::Avx2 && !InstructionSetSupported(set)) set = InstructionSet::Portable;
    return set;
}

std::size_t LengthDifference(std::size_t a, std::size_t b) {
    return a > b ? a - b : b - a;
}

}  // namespace

LevenshteinBatch::LevenshteinBatch(std::vector<std::string_view> sequences, InstructionSet instructionSet)
    : sequences_(std::move(sequences)),
      instructionSet_(Runnable(instructionSet)),
      kernel_(KernelFor(instructionSet_)) {
    useTables_ = BuildTables();
}

bool LevenshteinBatch::BuildTables() {
    codeOf_.assign(myers::kByteValues, 0);
    codes_ = 1;
    std::size_t totalBytes = 0;
    for (const std::string_view sequence : sequences_) {
        if (sequence.size() > kLongLength) continue;
        totalBytes += sequence.size();
        for (const char c : sequence) {
            std::uint16_t& code = codeOf_[static_cast<unsigned char>(c)];
            if (code == 0) code = static_cast<std::uint16_t>(codes_++);
        }
    }

    const std::size_t groupCount = (sequences_.size() + kLanes - 1) / kLanes;
    groups_.resize(groupCount);
    std::size_t tableWords = 0;
    std::size_t maxWords = 0;
    for (std::size_t g = 0; g < groupCount; ++g) {
        std::size_t words = 1;
        for (std::size_t j = g * kLanes; j < std::min(sequences_.size(), (g + 1) * kLanes); ++j) {
            if (!IsLong(j)) words = std::max(words, myers::WordsFor(sequences_[j].size()));
        }
        groups_[g] = GroupSpan{tableWords, words};
        tableWords += (codes_ + 1) * words * kLanes;  // masks of every code, then the valid rows
        maxWords = std::max(maxWords, words);
    }
    if (tableWords * sizeof(std::uint64_t) >
        std::max(kTableFloorBytes, kTableBytesPerSequenceByte * totalBytes)) {
        groups_.clear();
        return false;
    }

    table_ = AlignedStart(tableStorage_, tableWords);
    for (std::size_t g = 0; g < groupCount; ++g) {
        const GroupSpan span = groups_[g];
        std::uint64_t* masks = table_ + span.offset;
        std::uint64_t* valid = masks + codes_ * span.words * kLanes;
        for (std::size_t lane = 0; lane < kLanes && g * kLanes + lane < sequences_.size(); ++lane) {
            if (IsLong(g * kLanes + lane)) continue;  // an empty lane; the scalar engine answers
            const std::string_view sequence = sequences_[g * kLanes + lane];
            for (std::size_t i = 0; i < sequence.size(); ++i) {
                const std::size_t code = codeOf_[static_cast<unsigned char>(sequence[i])];
                const std::uint64_t bit = std::uint64_t{1} << (i % 64);
                masks[(code * span.words + i / 64) * kLanes + lane] |= bit;
                valid[(i / 64) * kLanes + lane] |= bit;
            }
        }
    }
    if (maxWords > batch::kRegisterWords) state_ = AlignedStart(stateStorage_, 2 * maxWords * kLanes);
    return true;
}

void LevenshteinBatch::EncodeText(std::string_view text) {
    text_.resize(text.size());
    for (std::size_t j = 0; j < text.size(); ++j) text_[j] = codeOf_[static_cast<unsigned char>(text[j])];
}

void LevenshteinBatch::RunGroup(std::size_t group, std::uint32_t* out) {
    const GroupSpan span = groups_[group];
    const batch::Group view{table_ + span.offset, table_ + span.offset + codes_ * span.words * kLanes,
                            span.words};
    kernel_(view, text_.data(), text_.size(), state_, out);
}

void LevenshteinBatch::Distances(std::string_view text, std::size_t first, std::size_t last,
                                 std::uint32_t* out) {
    if (first >= last) return;
    if (!useTables_) {
        engine_.SetPattern(text);
        for (std::size_t j = first; j < last; ++j) out[j - first] = engine_.DistanceTo(sequences_[j]);
        return;
    }
    EncodeText(text);
    std::uint32_t lanes[kLanes];
    for (std::size_t g = first / kLanes; g * kLanes < last; ++g) {
        RunGroup(g, lanes);
        const std::size_t begin = std::max(first, g * kLanes);
        const std::size_t end = std::min(last, (g + 1) * kLanes);
        for (std::size_t j = begin; j < end; ++j) {
            out[j - first] = IsLong(j) ? engine_.Distance(text, sequences_[j]) : lanes[j - g * kLanes];
        }
    }
}

std::ptrdiff_t LevenshteinBatch::LastWithin(std::string_view text, std::size_t end, std::uint32_t limit) {
    const auto reachable = [&](std::size_t j) {
        return LengthDifference(text.size(), sequences_[j].size()) <= limit;
    };
    if (!useTables_) {
        engine_.SetPattern(text);
        for (std::size_t j = end; j-- > 0;) {
            if (reachable(j) && engine_.DistanceToAtMost(sequences_[j], limit) <= limit) {
                return static_cast<std::ptrdiff_t>(j);
            }
        }
        return -1;
    }
    bool encoded = false;
    std::uint32_t lanes[kLanes] = {};
    for (std::size_t g = (end + kLanes - 1) / kLanes; g-- > 0;) {
        const std::size_t begin = g * kLanes;
        const std::size_t stop = std::min(end, begin + kLanes);
        bool any = false;
        for (std::size_t j = begin; j < stop; ++j) any = any || (reachable(j) && !IsLong(j));
        if (any) {
            if (!encoded) {
                EncodeText(text);
                encoded = true;
            }
            RunGroup(g, lanes);
        }
        // Without a table run, every reachable lane of the group is long.
        for (std::size_t j = stop; j-- > begin;) {
            if (!reachable(j)) continue;
            const std::uint32_t distance =
                IsLong(j) ? engine_.DistanceAtMost(text, sequences_[j], limit) : lanes[j - begin];
            if (distance <= limit) return static_cast<std::ptrdiff_t>(j);
        }
    }
    return -1;
}

}  // namespace horgrid
