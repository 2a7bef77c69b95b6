// Monomer-set parsing on arbitrary bytes: a set of named, non-empty, distinct
// types or a FileError, never a crash.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <set>

#include "common/FileError.h"
#include "decompose/MonomerSet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    char path[] = "/tmp/horgrid-monofuzz-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return 0;
    if (write(fd, data, size) != static_cast<ssize_t>(size)) size = 0;
    close(fd);
    try {
        const std::vector<horgrid::MonomerType> types = horgrid::ReadMonomerSet(path);
        std::set<std::string> names;
        for (const horgrid::MonomerType& type : types) {
            if (type.sequence.empty() || !names.insert(type.name).second) std::abort();
        }
        if (types.empty()) std::abort();
    } catch (const horgrid::FileError&) {
    }
    unlink(path);
    return 0;
}
