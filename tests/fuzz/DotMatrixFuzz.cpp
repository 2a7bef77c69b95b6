// A dot-matrix file grouped as the group command does: either both result
// files are written or the file is refused with FileError.

#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "TestSupport.h"
#include "common/FileError.h"
#include "groups/horAnaliser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const horgrid::test::TempDir dir;
    const std::string path =
        dir.Write("in.ens_dot_matrix.txt", std::string(reinterpret_cast<const char*>(data), size));
    try {
        (void)horgrid::horAnaliser(path);
    } catch (const horgrid::FileError&) {
        return 0;
    }
    FUZZ_CHECK(horgrid::test::FileExists(path + "_horStructure.txt"));
    FUZZ_CHECK(horgrid::test::FileExists(path + "_horStructure2.txt"));
    return 0;
}
