// An ensemble file loaded from disk: one record per line (a final line feed
// adds none), and sub-ranges of any bounds clamp to the records.

#include <algorithm>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "TestSupport.h"
#include "ensemble/alphaEnsemble.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const horgrid::test::TempDir dir;
    const horgrid::alphaEnsemble ensemble(dir.Write("in.ens", text));

    const auto lines =
        std::count(text.begin(), text.end(), '\n') + (text.empty() || text.back() == '\n' ? 0 : 1);
    FUZZ_CHECK(ensemble.monomerCount == lines);
    FUZZ_CHECK(ensemble.monomers.size() == static_cast<std::size_t>(lines));

    const int n = ensemble.monomerCount;
    const int first = n / 3;
    const horgrid::alphaEnsemble middle(ensemble, first, n - first);
    FUZZ_CHECK(middle.monomerCount == n - 2 * first);
    FUZZ_CHECK(middle.fileName.empty());
    if (middle.monomerCount > 0) FUZZ_CHECK(middle.monomers.front().name == ensemble.monomers[first].name);
    FUZZ_CHECK(horgrid::alphaEnsemble(ensemble, -5, n + 5).monomerCount == n);
    FUZZ_CHECK(horgrid::alphaEnsemble(ensemble, n, first).monomerCount == 0);
    return 0;
}
