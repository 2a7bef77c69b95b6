// Speed of the alpha-satellite filter over a whole assembly, one thread:
//
//     horgrid_scan_bench ASSEMBLY.fa[.gz] [REFERENCES.fa ...] > stretches.bed
//
// The references default to the shipped family and HOR consensus monomers
// (data/). Each record is read whole, then fed to the scanner in 1 MB chunks
// as a streaming caller would. The stretches go to standard output as BED
// (record, start, end, hits per k-mer); the bases, the reading time and the
// scanning time (processor time of this single-threaded process) to
// standard error.

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "scan/AlphaReferences.h"
#include "scan/AlphaScan.h"
#include "seqio/SequenceReader.h"

namespace {

double ProcessSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace horgrid;
    if (argc < 2) {
        std::fprintf(stderr, "usage: horgrid_scan_bench ASSEMBLY.fa [REFERENCES.fa ...]\n");
        return 1;
    }
    try {
        std::vector<std::string> paths(argv + 2, argv + argc);
        if (paths.empty()) {
            paths = {HORGRID_SOURCE_DIR "/data/AS-SF.consensus.fa",
                     HORGRID_SOURCE_DIR "/data/AS-HOR.consensus.fa.gz"};
        }
        const AlphaScanSettings settings;
        double started = ProcessSeconds();
        const AlphaKmerTable table(ReadAlphaReferences(paths), settings.k);
        const double tableSeconds = ProcessSeconds() - started;
        AlphaScanner scanner(table, settings);
        SequenceReader reader(argv[1]);
        SequenceRecord record;
        double readSeconds = 0;
        double scanSeconds = 0;
        std::int64_t bases = 0;
        std::size_t stretches = 0;
        for (;;) {
            started = ProcessSeconds();
            if (!reader.Next(record)) break;
            readSeconds += ProcessSeconds() - started;
            started = ProcessSeconds();
            const std::string_view sequence = record.sequence;
            constexpr std::size_t kChunk = std::size_t{1} << 20;
            for (std::size_t at = 0; at < sequence.size(); at += kChunk)
                scanner.Feed(sequence.substr(at, kChunk));
            const std::vector<AlphaStretch> found = scanner.Finish();
            scanSeconds += ProcessSeconds() - started;
            bases += static_cast<std::int64_t>(sequence.size());
            for (const AlphaStretch& stretch : found) {
                std::printf("%s\t%lld\t%lld\t%.3f\n", record.name.c_str(),
                            static_cast<long long>(stretch.start), static_cast<long long>(stretch.end),
                            stretch.density);
            }
            stretches += found.size();
        }
        std::fprintf(stderr,
                     "k-mer table: %zu k-mers (k = %d) in %.2f s\n"
                     "%lld bases read in %.2f s, scanned in %.2f s: %.0f Mb/s, %zu stretches\n",
                     table.Size(), table.K(), tableSeconds, static_cast<long long>(bases), readSeconds,
                     scanSeconds, static_cast<double>(bases) / 1e6 / std::max(scanSeconds, 1e-9), stretches);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "horgrid_scan_bench: %s\n", error.what());
        return 2;
    }
    return 0;
}
