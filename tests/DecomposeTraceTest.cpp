// The packed trace behind Decompose (decompose/DecomposeTrace.h) at its
// limits: more than 256 oriented monomers (the monomer index takes two
// bytes), and a record longer than one block of 2^20 positions (blocks are
// released as the traceback passes them). Every kernel against the plain DP.
// Escaped lengths and score steps are met by DecomposeTest's long N run and
// wide scores.

#include <gtest/gtest.h>

#include <random>

#include "ReferenceDecompose.h"
#include "SequenceGenerator.h"
#include "decompose/DecomposeEngine.h"

namespace horgrid::reference {
namespace {

// The fields the trace determines: boundaries, type, strand, score.
std::vector<std::int64_t> Fields(const std::vector<Segment>& segments) {
    std::vector<std::int64_t> fields;
    for (const Segment& s : segments) {
        fields.insert(fields.end(), {s.start, s.end, static_cast<std::int64_t>(s.type), s.reverse, s.score});
    }
    return fields;
}

TEST(DecomposeTrace, ManyTypesAndRecordsOverSeveralBlocks) {
    std::mt19937_64 random(57);
    std::vector<MonomerType> many;
    for (int t = 0; t < 140; ++t) {
        std::string name = "t";
        name += std::to_string(t);
        many.push_back({name, RandomSequence(random, 4 + random() % 5)});
    }
    std::string manyRecord;
    while (manyRecord.size() < 3000) {
        const std::string& source = many[random() % many.size()].sequence;
        manyRecord += Mutate(random, random() % 2 ? source : ReverseComplement(source), 0.1);
    }
    const std::vector<MonomerType> two = {{"a", RandomSequence(random, 6)}, {"b", RandomSequence(random, 9)}};
    std::string longRecord;
    while (longRecord.size() < (std::size_t{1} << 20) + 70000) {
        longRecord += Mutate(random, two[random() % 2].sequence, 0.15);
    }
    const struct {
        const std::string& record;
        const std::vector<MonomerType>& types;
    } cases[] = {{manyRecord, many}, {longRecord, two}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.record.size());
        const std::vector<std::int64_t> expected = Fields(ReferenceDecompose(c.record, c.types, Scoring{}));
        for (const DecomposeKernel kernel : SupportedDecomposeKernels()) {
            EXPECT_EQ(Fields(DecomposeWithKernel(c.record, c.types, Scoring{}, kernel)), expected)
                << DecomposeKernelName(kernel);
        }
    }
}

}  // namespace
}  // namespace horgrid::reference
