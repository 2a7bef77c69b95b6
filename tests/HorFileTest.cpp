#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "common/FileError.h"
#include "hor/horAnaliser2.h"

namespace horgrid::test {
namespace {

TEST(HorStructureFile, OneLinePerMonomerWithSinglePrecisionDashes) {
    TempDir dir;
    const std::string path = dir.File("x.ens.hor1");
    horAnaliser2().WriteHORstruct(
        path, {{1, 1, -1}, {2, 3, -1}, {5, 2, -2}, {17, 16, -2}, {250, 100, -9}, {3, 1, -12}});
    EXPECT_EQ(ReadFile(path),
              "1 1 1.120000 1.240000 1.360000 0.880000 0.760000 0.640000 -1\n"
              "2 3 3.120000 3.240000 3.360000 2.880000 2.760000 2.640000 -1\n"
              "5 2 2.120000 2.240000 2.360000 1.880000 1.760000 1.640000 -2\n"
              "17 16 16.120001 16.240000 16.360001 15.880000 15.760000 15.640000 -2\n"
              "250 100 100.120003 100.239998 100.360001 99.879997 99.760002 99.639999 -9\n"
              "3 1 1.120000 1.240000 1.360000 0.880000 0.760000 0.640000 -12\n");
}

TEST(HorStructureFile, RewritingReplacesTheWholeFile) {
    TempDir dir;
    const std::string path = dir.File("x.ens.hor1");
    horAnaliser2 analyser;
    analyser.WriteHORstruct(path, {{1, 1, -1}, {2, 2, -1}, {3, 3, -1}});
    analyser.WriteHORstruct(path, {{1, 1, -1}});
    EXPECT_EQ(ReadFile(path), "1 1 1.120000 1.240000 1.360000 0.880000 0.760000 0.640000 -1\n");
    analyser.WriteHORstruct(path, {});
    EXPECT_EQ(ReadFile(path), "");
}

TEST(HorStructureFile, UncreatableFileRaisesFileError) {
    TempDir dir;
    horAnaliser2 analyser;
    EXPECT_THROW(analyser.WriteHORstruct(dir.File("missing/x.ens.hor1"), {{1, 1, -1}}), FileError);
    std::filesystem::create_directory(dir.File("taken.hor1"));
    try {
        analyser.WriteHORstruct(dir.File("taken.hor1"), {{1, 1, -1}});
        FAIL() << "no FileError";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot create '" + dir.File("taken.hor1") + "': Is a directory");
    }
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace horgrid::test
