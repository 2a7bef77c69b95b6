#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "ensemble/alpha.h"

namespace horgrid {
namespace {

std::string Printed(const alpha& record) {
    char* buffer = nullptr;
    std::size_t size = 0;
    FILE* memory = open_memstream(&buffer, &size);
    record.print(memory);
    std::fclose(memory);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

TEST(AlphaLayouts, EachLayoutFillsItsColumns) {
    const alpha five("m1 + 1200 171 ACGT", 5);
    EXPECT_EQ(five.name, "m1");
    EXPECT_EQ(five.direction, "+");
    EXPECT_EQ(five.position, 1200);
    EXPECT_EQ(five.consensusDifference, "");
    EXPECT_EQ(five.length, 171);
    EXPECT_EQ(five.sequence, "ACGT");

    const alpha three("m1 171 ACGT", 3);
    EXPECT_EQ(three.name, "m1");
    EXPECT_EQ(three.direction, "");
    EXPECT_EQ(three.position, 0);
    EXPECT_EQ(three.length, 171);
    EXPECT_EQ(three.sequence, "ACGT");

    for (const alpha& six : {alpha("m1 - 42 (3.5%) 171 ACGT"), alpha("m1 - 42 (3.5%) 171 ACGT", 7)}) {
        EXPECT_EQ(six.direction, "-");
        EXPECT_EQ(six.position, 42);
        EXPECT_EQ(six.consensusDifference, "(3.5%)");
        EXPECT_EQ(six.length, 171);
        EXPECT_EQ(six.sequence, "ACGT");
    }
}

TEST(AlphaLayouts, WhitespaceOnlySeparatesColumns) {
    const alpha record(" \t m1\t+  \v1200\f171 ACGT\r", 5);
    EXPECT_EQ(record.name, "m1");
    EXPECT_EQ(record.position, 1200);
    EXPECT_EQ(record.length, 171);
    EXPECT_EQ(record.sequence, "ACGT");  // the carriage return is whitespace
    const alpha extra("m1 + 1 2 ACGT surplus columns", 5);
    EXPECT_EQ(extra.sequence, "ACGT");
}

TEST(AlphaMalformed, ShortLinesLeaveLaterFieldsEmpty) {
    for (const int layout : {3, 5, 6}) {
        const alpha empty("", layout);
        EXPECT_EQ(empty.name, "");
        EXPECT_EQ(empty.sequence, "");
        const alpha nameOnly("lonely", layout);
        EXPECT_EQ(nameOnly.name, "lonely");
        EXPECT_EQ(nameOnly.direction, "");
        EXPECT_EQ(nameOnly.sequence, "");
        EXPECT_EQ(nameOnly.position, 0);
        EXPECT_EQ(nameOnly.length, 0);
    }
    const alpha missingSequence("m1 + 5 171", 5);
    EXPECT_EQ(missingSequence.length, 171);
    EXPECT_EQ(missingSequence.sequence, "");
}

TEST(AlphaMalformed, PartialIntegersStopTheLine) {
    // 12abc: the position takes 12, the length then meets "abc", fails and
    // stores 0, and nothing after it is read.
    const alpha partial("m1 + 12abc 171 ACGT", 5);
    EXPECT_EQ(partial.position, 12);
    EXPECT_EQ(partial.length, 0);
    EXPECT_EQ(partial.sequence, "");

    const alpha nonNumeric("m1 + 7 long ACGT", 5);
    EXPECT_EQ(nonNumeric.position, 7);
    EXPECT_EQ(nonNumeric.length, 0);
    EXPECT_EQ(nonNumeric.sequence, "");

    const alpha signs("m1 + -15 +171 ACGT", 5);
    EXPECT_EQ(signs.position, -15);
    EXPECT_EQ(signs.length, 171);
    EXPECT_EQ(signs.sequence, "ACGT");

    const alpha loneSign("m1 + - 171 ACGT", 5);
    EXPECT_EQ(loneSign.position, 0);
    EXPECT_EQ(loneSign.length, 0);
    EXPECT_EQ(loneSign.sequence, "");

    const alpha hex("m1 + 0x1A 171 ACGT", 5);  // decimal only: 0, then "x1A" fails
    EXPECT_EQ(hex.position, 0);
    EXPECT_EQ(hex.length, 0);
}

TEST(AlphaMalformed, OverflowStoresTheLimitAndFails) {
    const alpha high("m1 + 99999999999 171 ACGT", 5);
    EXPECT_EQ(high.position, INT_MAX);
    EXPECT_EQ(high.length, 0);
    EXPECT_EQ(high.sequence, "");
    const alpha low("m1 + -2147483649 171 ACGT", 5);
    EXPECT_EQ(low.position, INT_MIN);
    const alpha edge("m1 + -2147483648 2147483647 ACGT", 5);
    EXPECT_EQ(edge.position, INT_MIN);
    EXPECT_EQ(edge.length, INT_MAX);
    EXPECT_EQ(edge.sequence, "ACGT");
}

TEST(AlphaMalformed, ShiftedColumnsOfOtherLayouts) {
    // A six-column line read in layout 5 puts the consensus difference into length.
    const alpha six("m1 + 100 (2.0%) 171 ACGT", 5);
    EXPECT_EQ(six.length, 0);
    EXPECT_EQ(six.sequence, "");
    const alpha sixNumeric("m1 + 100 3 171 ACGT", 5);
    EXPECT_EQ(sixNumeric.length, 3);
    EXPECT_EQ(sixNumeric.sequence, "171");
    // A three-column line read in layout 5 takes the length as direction.
    const alpha three("m1 171 ACGT", 5);
    EXPECT_EQ(three.direction, "171");
    EXPECT_EQ(three.position, 0);
    EXPECT_EQ(three.sequence, "");
}

TEST(AlphaPrint, WritesTheSixColumnLayout) {
    EXPECT_EQ(Printed(alpha("m1 + 1200 171 ACGT", 5)), "m1 + 1200  171 ACGT\n");
    EXPECT_EQ(Printed(alpha("m1 - 5 (1.5%) 9 AC")), "m1 - 5 (1.5%) 9 AC\n");
    alpha tagged("m1 + 1 2 A", 5);
    tagged.tag = 77;
    EXPECT_EQ(Printed(tagged), "m1 + 1  2 A\n");
    EXPECT_EQ(Printed(alpha("", 5)), "  0  0 \n");
}

}  // namespace
}  // namespace horgrid
