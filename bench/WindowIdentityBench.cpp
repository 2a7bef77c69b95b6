// The k-mer identity of sequence windows (the sequence mode of dotplot)
// against the exact alignment identity of the same windows:
//   1. generated windows of known divergence (unique sequence, no repeats);
//   2. a real array (by default the CHM13 chr21 array of bench/data) in
//      5 kb windows, every pair, and the matrix another tool computed for the
//      same windows when its BED file is given (query start/end, reference
//      start/end in columns 2, 3, 5, 6, 1-based, identity in column 7);
//   3. the wall time of the self matrix of generated 1 Mb and 10 Mb records.
// The exact identity is 100 (1 - d / max(|a|, |b|)), d the edit distance of
// the two windows.
//
//     horgrid_window_identity_bench [FASTA [BED]]

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "SequenceGenerator.h"
#include "dotplot/IdentityGrid.h"
#include "dotplot/WindowIdentity.h"
#include "sequence/EditDistance.h"
#include "seqio/SequenceReader.h"

namespace {

using namespace horgrid;
using reference::Mutate;
using reference::RandomSequence;

struct Errors {
    std::vector<double> estimate, exact;

    void Add(double e, double x) {
        estimate.push_back(e);
        exact.push_back(x);
    }
    void Print(const char* what) const {
        const std::size_t n = estimate.size();
        if (n == 0) return;
        double sum = 0, sumAbs = 0, largest = 0, me = 0, mx = 0;
        std::vector<double> abs;
        for (std::size_t i = 0; i < n; ++i) {
            const double d = estimate[i] - exact[i];
            sum += d;
            sumAbs += std::fabs(d);
            largest = std::max(largest, std::fabs(d));
            abs.push_back(std::fabs(d));
            me += estimate[i];
            mx += exact[i];
        }
        me /= static_cast<double>(n);
        mx /= static_cast<double>(n);
        double cov = 0, ve = 0, vx = 0;
        for (std::size_t i = 0; i < n; ++i) {
            cov += (estimate[i] - me) * (exact[i] - mx);
            ve += (estimate[i] - me) * (estimate[i] - me);
            vx += (exact[i] - mx) * (exact[i] - mx);
        }
        std::sort(abs.begin(), abs.end());
        std::printf("  %-34s %6zu pairs  bias %+6.2f  mean |err| %5.2f  95%% |err| %5.2f  max %5.2f  r %.3f\n",
                    what, n, sum / static_cast<double>(n), sumAbs / static_cast<double>(n),
                    abs[n * 95 / 100], largest, cov / std::sqrt(ve * vx));
    }
};

double ExactIdentity(std::string_view a, std::string_view b) {
    return PairIdentity(Levenshtein(a, b), a.size(), b.size());
}

// The fewest edits that turn `pattern` into some substring of `text`
// (Myers' bit-parallel search, blocks of 64 pattern bases, Hyyro's carries).
std::size_t InfixDistance(std::string_view pattern, std::string_view text) {
    const std::size_t m = pattern.size(), blocks = (m + 63) / 64;
    std::vector<std::uint64_t> peq(256 * blocks, 0), pv(blocks, ~std::uint64_t{0}), mv(blocks, 0);
    for (std::size_t i = 0; i < m; ++i)
        peq[static_cast<unsigned char>(pattern[i]) * blocks + i / 64] |= std::uint64_t{1} << (i % 64);
    const std::uint64_t last = std::uint64_t{1} << ((m - 1) % 64);
    std::size_t score = m, best = m;
    for (const char c : text) {
        int carry = 0;  // the horizontal delta into the block's top row: 0, a free start in the text
        for (std::size_t b = 0; b < blocks; ++b) {
            std::uint64_t eq = peq[static_cast<unsigned char>(c) * blocks + b];
            const std::uint64_t high = b + 1 == blocks ? last : std::uint64_t{1} << 63;
            const std::uint64_t xv = eq | mv[b];
            if (carry < 0) eq |= 1;
            const std::uint64_t xh = (((eq & pv[b]) + pv[b]) ^ pv[b]) | eq;
            std::uint64_t ph = mv[b] | ~(xh | pv[b]);
            std::uint64_t mh = pv[b] & xh;
            const int out = (ph & high) ? 1 : (mh & high) ? -1 : 0;
            ph <<= 1;
            mh <<= 1;
            if (carry < 0) mh |= 1;
            if (carry > 0) ph |= 1;
            pv[b] = mh | ~(xv | ph);
            mv[b] = ph & xv;
            carry = out;
        }
        score = static_cast<std::size_t>(static_cast<long long>(score) + carry);
        best = std::min(best, score);
    }
    return best;
}

double SketchOf(std::string_view a, std::string_view b, const WindowSketchOptions& options) {
    WindowSketchOptions one = options;
    one.window = std::max(a.size(), b.size());
    const WindowMatrix m = PairWindowMatrix(a, b, one);
    return m.at(0, 0);
}

void Generated() {
    std::printf("1. generated 5 kb windows, one copy mutated (80 %% substitutions, 20 %% indels)\n");
    std::mt19937_64 random(2024);
    const WindowSketchOptions options;
    for (const double divergence : {0.005, 0.01, 0.02, 0.05, 0.10, 0.15}) {
        Errors errors;
        for (int trial = 0; trial < 20; ++trial) {
            const std::string a = RandomSequence(random, 5000);
            const std::string b = Mutate(random, a, divergence);
            errors.Add(SketchOf(a, b, options), ExactIdentity(a, b));
        }
        char what[64];
        std::snprintf(what, sizeof what, "divergence %4.1f %%", 100 * divergence);
        errors.Print(what);
    }
}

// (query start, reference start) 0-based -> identity, both orders.
std::map<std::pair<std::size_t, std::size_t>, double> ReadBed(const std::string& path) {
    std::map<std::pair<std::size_t, std::size_t>, double> cells;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name, name2;
        std::size_t qs = 0, qe = 0, rs = 0, re = 0;
        double identity = 0;
        fields >> name >> qs >> qe >> name2 >> rs >> re >> identity;
        cells[{qs - 1, rs - 1}] = identity;
        cells[{rs - 1, qs - 1}] = identity;
    }
    return cells;
}

void RealArray(const std::string& fasta, const std::string& bed) {
    SequenceReader reader(fasta);
    SequenceRecord record;
    if (!reader.Next(record)) return;
    WindowSketchOptions options;
    options.window = 5000;
    options.threads = 2;
    const WindowMatrix matrix = SelfWindowMatrix(record.sequence, options);
    const auto other = bed.empty() ? decltype(ReadBed("")){} : ReadBed(bed);
    Errors ours, theirs, between, oursPlaced, theirsPlaced;
    // Whole windows only: a short last window is no like-for-like pair.
    const std::size_t whole = record.sequence.size() / options.window;
    for (std::size_t i = 0; i < whole; ++i) {
        for (std::size_t j = i + 1; j < whole; ++j) {
            const std::string_view a = std::string_view(record.sequence).substr(i * options.window, options.window);
            const std::string_view b = std::string_view(record.sequence).substr(j * options.window, options.window);
            const double exact = ExactIdentity(a, b);
            // The best placement of window i in window j widened by half a
            // window each side: alike however the tandem copies are phased.
            const std::size_t from = j * options.window - std::min(j * options.window, options.window / 2);
            const std::string_view around =
                std::string_view(record.sequence).substr(from, options.window * 2);
            const double placed = 100 * (1 - static_cast<double>(InfixDistance(a, around)) /
                                                 static_cast<double>(a.size()));
            ours.Add(matrix.at(i, j), exact);
            oursPlaced.Add(matrix.at(i, j), placed);
            const auto found = other.find({i * options.window, j * options.window});
            if (found == other.end()) continue;
            theirs.Add(found->second, exact);
            theirsPlaced.Add(found->second, placed);
            between.Add(matrix.at(i, j), found->second);
        }
    }
    std::printf("2. %s (%zu bp), 5 kb windows, every pair of whole windows\n", record.name.c_str(),
                record.sequence.size());
    ours.Print("k-mer identity vs exact global");
    theirs.Print("the BED's identity vs exact global");
    oursPlaced.Print("k-mer identity vs best placement");
    theirsPlaced.Print("the BED's identity vs best placement");
    between.Print("k-mer identity vs the BED's");
}

// HOR arrays of 4, 11 and 16 monomer-sized units (2 % divergent copies)
// between stretches of unique sequence, `bases` long.
std::string Record(std::size_t bases) {
    std::mt19937_64 random(7);
    std::string record;
    while (record.size() < bases) {
        if (random() % 10 < 3) {
            record += RandomSequence(random, 200000);
            continue;
        }
        const std::size_t units[] = {4, 11, 16};
        const std::string hor = RandomSequence(random, 171 * units[random() % 3]);
        for (std::size_t copy = 0; copy < 400000 / hor.size(); ++copy) record += Mutate(random, hor, 0.02);
    }
    record.resize(bases);
    return record;
}

void Timing() {
    std::printf("3. self matrix, 1000 windows, 2 threads (wall time, best of 3)\n");
    double previous = 0;
    for (const std::size_t bases : {std::size_t{1000000}, std::size_t{10000000}}) {
        const std::string record = Record(bases);
        WindowSketchOptions options;
        options.threads = 2;
        double best = 1e30;
        for (int run = 0; run < 3; ++run) {
            const auto start = std::chrono::steady_clock::now();
            const WindowMatrix matrix = SelfWindowMatrix(record, options);
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            best = std::min(best, took.count());
        }
        std::printf("  %5.1f Mb: %.3f s", static_cast<double>(bases) / 1e6, best);
        if (previous > 0) std::printf("  (%.1f x the 1 Mb record)", best / previous);
        std::printf("\n");
        previous = best;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string fasta = argc > 1 ? argv[1] : HORGRID_SOURCE_DIR "/bench/data/chm13_cen21/cen21.fa";
    const std::string bed =
        argc > 2 ? argv[2] : HORGRID_SOURCE_DIR "/bench/data/chm13_cen21/ModDotPlot.5kb_identity.bed";
    Generated();
    RealArray(fasta, bed);
    Timing();
    return 0;
}
