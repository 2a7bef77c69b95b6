#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "sequence/BatchKernels.h"
#include "sequence/InstructionSet.h"
#include "sequence/LevenshteinEngine.h"

namespace horgrid {

// Exact edit distances of one text against many sequences at once: the
// all-vs-all loops (dot matrix, HOR building) call this instead of one
// Levenshtein per pair.
//
// The constructor builds the match masks of every sequence once, eight
// sequences to a group (sequences 8g ... 8g + 7 form group g). A query runs
// the bit-parallel column step (Myers/Hyyrö) over the text once per group and
// gets the eight distances together, with AVX-512 (with VBMI2 when present)
// or AVX2 when the processor has them (chosen at run time), else portable
// code; the constructor's argument forces a plainer instruction set (tests run
// every one in SupportedInstructionSets()). Results are exactly
// Levenshtein(text, sequences[j]) for every input: empty sequences, unequal
// lengths, any byte values, case-sensitive. Queries allocate nothing once the
// longest text has been seen.
//
// Memory: about (distinct byte values + 2) / 8 bytes per sequence byte, each
// group padded to its longest sequence (under one byte per base for DNA).
// Sequences of more than kLongLength bytes stay out of the tables: every pair
// with one of them runs on the scalar engine, whose band covers only what the
// distance can reach (a megabase record against its own copy costs a pass
// over it, not megabase by megabase), with the same results. When the
// sequences use so many distinct bytes that the masks would be large, the
// whole batch falls back to the scalar engine, again with the same results.
//
// The sequences are viewed, not copied: they must outlive the batch and stay
// unchanged. A batch is not for concurrent use (it keeps scratch buffers).
//
// Dot matrix, one row:
//
//     LevenshteinBatch batch(views);                      // all columns
//     batch.Distances(views[i], i, views.size(), out);    // out[k] = d(i, i + k)
//
// HOR building, nearest earlier record within a limit:
//
//     // The record's length as a C string: the percentage counts the bytes
//     // before a NUL only (a sequence read from a text line holds none).
//     const auto limit = LargestDistanceBelow(threshold, std::strlen(records[i].sequence.c_str()));
//     const std::ptrdiff_t match = limit ? batch.LastWithin(views[i], i, *limit) : -1;
//
// LastWithin runs whole groups, so a backward search costs one pass per eight
// candidates; a match among the nearest ones costs one or two passes.
class LevenshteinBatch {
public:
    // Sequences longer than this are compared by the scalar engine.
    static constexpr std::size_t kLongLength = 2048;

    explicit LevenshteinBatch(std::vector<std::string_view> sequences,
                              InstructionSet instructionSet = BestInstructionSet());
    LevenshteinBatch(const LevenshteinBatch&) = delete;
    LevenshteinBatch& operator=(const LevenshteinBatch&) = delete;
    LevenshteinBatch(LevenshteinBatch&&) = default;
    LevenshteinBatch& operator=(LevenshteinBatch&&) = default;

    std::size_t size() const { return sequences_.size(); }
    std::string_view sequence(std::size_t index) const { return sequences_[index]; }
    // The instruction set in use: the requested one, or the best supported below it.
    InstructionSet instructionSet() const { return instructionSet_; }
    // False when the batch fell back to the scalar engine for every pair (too
    // many distinct bytes for the mask tables).
    bool hasMaskTables() const { return useTables_; }

    // out[k] = Levenshtein(text, sequence(first + k)) for first <= first + k < last.
    // Requires first <= last <= size().
    void Distances(std::string_view text, std::size_t first, std::size_t last, std::uint32_t* out);

    // The largest j < end with Levenshtein(text, sequence(j)) <= limit, or -1
    // when there is none. Requires end <= size().
    std::ptrdiff_t LastWithin(std::string_view text, std::size_t end, std::uint32_t limit);

private:
    struct GroupSpan {
        std::size_t offset = 0;  // of the group's masks in the table, in words
        std::size_t words = 0;
    };

    bool BuildTables();
    // Runs group g against the text last encoded by EncodeText.
    void RunGroup(std::size_t group, std::uint32_t* out);
    void EncodeText(std::string_view text);

    bool IsLong(std::size_t j) const { return sequences_[j].size() > kLongLength; }

    std::vector<std::string_view> sequences_;
    InstructionSet instructionSet_;
    batch::GroupKernel kernel_ = nullptr;
    bool useTables_ = false;
    std::vector<std::uint16_t> codeOf_;  // byte -> code, 0 for bytes no sequence holds
    std::size_t codes_ = 0;
    std::vector<GroupSpan> groups_;
    std::vector<std::uint64_t> tableStorage_;
    std::uint64_t* table_ = nullptr;  // tableStorage_ aligned to 64 bytes
    std::vector<std::uint16_t> text_;
    std::vector<std::uint64_t> stateStorage_;
    std::uint64_t* state_ = nullptr;  // stateStorage_ aligned, for groups of many words
    LevenshteinEngine engine_;        // for long sequences and the fallback without tables
};

}  // namespace horgrid
