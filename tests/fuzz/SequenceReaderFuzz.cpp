// The FASTA/FASTQ reader on arbitrary bytes (plain or compressed): records or
// a FileError, never a crash.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/FileError.h"
#include "seqio/SequenceReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    char path[] = "/tmp/horgrid-seqfuzz-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return 0;
    if (write(fd, data, size) != static_cast<ssize_t>(size)) size = 0;
    close(fd);
    try {
        horgrid::SequenceReader reader(path);
        horgrid::SequenceRecord record;
        while (reader.Next(record)) {
        }
    } catch (const horgrid::FileError&) {
    }
    unlink(path);
    return 0;
}
