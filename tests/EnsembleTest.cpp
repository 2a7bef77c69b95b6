#include <gtest/gtest.h>

#include "TestSupport.h"
#include "common/FileError.h"
#include "ensemble/CenpB.h"
#include "ensemble/Families.h"
#include "ensemble/alphaEnsemble.h"

namespace horgrid {
namespace {

using test::TempDir;

const char* const kThree = "a + 100 3 AAA\nb + 200 3 CCC\nc + 300 3 GGG\n";

TEST(EnsembleLoading, LinesBecomeRecords) {
    TempDir dir;
    const alphaEnsemble withFinal(dir.Write("final.ens", kThree));
    ASSERT_EQ(withFinal.monomerCount, 3);
    EXPECT_EQ(withFinal.monomers[2].name, "c");
    EXPECT_EQ(withFinal.monomers[2].position, 300);
    EXPECT_EQ(withFinal.fileName, dir.File("final.ens"));

    std::string noFinal = kThree;
    noFinal.pop_back();
    EXPECT_EQ(alphaEnsemble(dir.Write("nofinal.ens", noFinal)).monomerCount, 3);

    const alphaEnsemble twoFeeds(dir.Write("two.ens", std::string(kThree) + "\n"));
    ASSERT_EQ(twoFeeds.monomerCount, 4);
    EXPECT_EQ(twoFeeds.monomers[3].name, "");
    EXPECT_EQ(twoFeeds.monomers[3].sequence, "");

    EXPECT_EQ(alphaEnsemble(dir.Write("empty.ens", "")).monomerCount, 0);
    EXPECT_EQ(alphaEnsemble(dir.Write("feed.ens", "\n")).monomerCount, 1);

    const alphaEnsemble crlf(dir.Write("crlf.ens", "a + 1 3 AAA\r\nb + 2 3 CCC\r\n"));
    ASSERT_EQ(crlf.monomerCount, 2);
    EXPECT_EQ(crlf.monomers[0].sequence, "AAA");
}

TEST(EnsembleLoading, MissingOrUnreadableFileIsAnError) {
    TempDir dir;
    try {
        alphaEnsemble missing(dir.File("absent.ens"));
        FAIL() << "no error for a missing file";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot read '" + dir.File("absent.ens") + "': No such file or directory");
    }
    EXPECT_THROW(alphaEnsemble{dir.path()}, FileError);  // a directory
}

TEST(EnsembleLoading, LinesCrossingTheReadBufferStayWholeAndStreamingAgrees) {
    TempDir dir;
    const std::string longSequence = "GTTCGCACTAATCGGGT" + std::string(200000, 'C');
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "m + " + std::to_string(i) + " 4 ACGT\n";
    text += "x + 1 2 " + longSequence + "\nlast + 2 3 GG";
    const std::string path = dir.Write("long.ens", text);
    alphaEnsemble loaded(path);
    ASSERT_EQ(loaded.monomerCount, 3002);
    EXPECT_EQ(loaded.monomers[2999].position, 2999);
    EXPECT_EQ(loaded.monomers[3000].sequence, longSequence);
    EXPECT_EQ(loaded.monomers[3001].sequence, "GG");
    // -b and -s stream the file; they write what the loaded ensemble's methods write.
    WriteCenpBFile(path);
    WriteFamilyFile(path);
    const std::string boxes = test::ReadFile(path + "_cenpB.txt");
    const std::string families = test::ReadFile(path + "_supracromFamily.txt");
    loaded.FindCenpBboxes(loaded.monomerCount);
    loaded.FindSupracromFamilies(loaded.monomerCount);
    EXPECT_EQ(boxes, test::ReadFile(path + "_cenpB.txt"));
    EXPECT_EQ(families, test::ReadFile(path + "_supracromFamily.txt"));
    EXPECT_NE(boxes.find("\n1 2 cBdir(1 ) "), std::string::npos);
}

TEST(EnsembleSubRange, HalfOpenCopies) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 10; ++i) {
        text.append("m")
            .append(std::to_string(i))
            .append(" + ")
            .append(std::to_string(i * 10))
            .append(" 1 A\n");
    }
    const alphaEnsemble source(dir.Write("ten.ens", text));

    const alphaEnsemble middle(source, 2, 5);
    ASSERT_EQ(middle.monomerCount, 3);
    EXPECT_EQ(middle.monomers[0].name, "m2");
    EXPECT_EQ(middle.monomers[2].name, "m4");
    EXPECT_EQ(middle.fileName, "");
    EXPECT_EQ(alphaEnsemble(source, 4, 4).monomerCount, 0);
    // Bounds outside the records are clamped instead of reading past them.
    EXPECT_EQ(alphaEnsemble(source, -3, 2).monomerCount, 2);
    EXPECT_EQ(alphaEnsemble(source, 8, 50).monomerCount, 2);
    EXPECT_EQ(alphaEnsemble(source, 6, 3).monomerCount, 0);
    EXPECT_EQ(source.monomerCount, 10);  // the source is untouched

    alphaEnsemble copy(source);
    EXPECT_EQ(copy.fileName, source.fileName);
    ASSERT_EQ(copy.monomerCount, source.monomerCount);
    copy.monomers[0].sequence = "CHANGED";
    EXPECT_EQ(source.monomers[0].sequence, "A");
}

}  // namespace
}  // namespace horgrid
