#include "decompose/ChunkedDecompose.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "common/Parallel.h"

namespace horgrid {
namespace {

struct Window {
    std::size_t record = 0;
    std::size_t core = 0;           // first base the window answers for
    std::size_t begin = 0;          // first base decomposed
    std::size_t end = 0;            // one past the last base decomposed
    std::vector<Segment> segments;  // in record positions
};

// Appends the window's segments from the join on; `segments` holds the
// earlier windows' ones.
void Join(std::vector<Segment>& segments, const std::vector<Segment>& next, std::size_t core) {
    if (segments.empty()) {
        segments = next;
        return;
    }
    std::unordered_set<std::int64_t> starts;
    for (const Segment& segment : next) starts.insert(segment.start);
    // The first boundary at or after the core start that both windows share.
    std::size_t keep = segments.size();
    for (std::size_t k = 0; k < segments.size(); ++k) {
        if (segments[k].end + 1 >= static_cast<std::int64_t>(core) && starts.count(segments[k].end + 1)) {
            keep = k + 1;
            break;
        }
    }
    if (keep == segments.size()) {
        // No shared boundary: keep the earlier window up to its core end.
        keep = 0;
        while (keep < segments.size() && segments[keep].start < static_cast<std::int64_t>(core)) ++keep;
    }
    segments.resize(keep);
    const std::int64_t after = segments.empty() ? -1 : segments.back().end;
    for (const Segment& segment : next) {
        if (segment.start > after) segments.push_back(segment);
    }
}

// The windows DecomposeInWindows cuts the records into.
std::vector<Window> CutWindows(const std::vector<std::string>& sequences,
                               const std::vector<MonomerType>& types, std::size_t chunk,
                               std::size_t overlap) {
    // The overlap holds two monomers of the longest type (a HOR-long one too).
    for (const MonomerType& type : types) overlap = std::max(overlap, 2 * type.sequence.size());
    chunk = std::max(chunk, 2 * overlap);
    std::vector<Window> windows;
    for (std::size_t r = 0; r < sequences.size(); ++r) {
        const std::size_t length = sequences[r].size();
        if (length <= 2 * chunk) {
            windows.push_back({r, 0, 0, length, {}});
            continue;
        }
        for (std::size_t core = 0; core < length; core += chunk) {
            windows.push_back(
                {r, core, core < overlap ? 0 : core - overlap, std::min(length, core + chunk + overlap), {}});
        }
    }
    return windows;
}

// Each window's segments moved to record positions and joined.
std::vector<std::vector<Segment>> JoinWindows(std::size_t records, std::vector<Window>& windows) {
    for (Window& window : windows) {
        for (Segment& segment : window.segments) {
            segment.start += static_cast<std::int64_t>(window.begin);
            segment.end += static_cast<std::int64_t>(window.begin);
        }
    }
    std::vector<std::vector<Segment>> segments(records);
    for (const Window& window : windows) Join(segments[window.record], window.segments, window.core);
    return segments;
}

std::string_view Bases(const std::vector<std::string>& sequences, const Window& window) {
    return {sequences[window.record].data() + window.begin, window.end - window.begin};
}

}  // namespace

std::vector<std::vector<Segment>> DecomposeInWindows(const std::vector<std::string>& sequences,
                                                     const std::vector<MonomerType>& types,
                                                     const Scoring& scoring, unsigned threads,
                                                     std::size_t chunk, std::size_t overlap,
                                                     const TypeChoice& narrow) {
    std::vector<Window> windows = CutWindows(sequences, types, chunk, overlap);
    ParallelFor(windows.size(), threads, [&](std::size_t w, unsigned) {
        const std::string_view part = Bases(sequences, windows[w]);
        windows[w].segments =
            Decompose(part, types, scoring, 1, narrow ? narrow(part) : std::vector<TypeRun>());
    });
    return JoinWindows(sequences.size(), windows);
}

std::vector<std::vector<Segment>> DecomposeInWindowsKept(const std::vector<std::string>& sequences,
                                                         const std::vector<MonomerType>& types,
                                                         const Scoring& scoring, unsigned threads,
                                                         const KeptWindows* before, KeptWindows& after) {
    std::vector<Window> windows = CutWindows(sequences, types, kWindowChunk, kWindowOverlap);
    std::vector<KeptDecomposition> kept(windows.size());
    ParallelFor(windows.size(), threads, [&](std::size_t w, unsigned) {
        const std::string_view part = Bases(sequences, windows[w]);
        const KeptDecomposition* earlier = nullptr;
        if (before != nullptr) {
            const auto found = before->find(std::string(part));
            if (found != before->end()) earlier = &found->second;
        }
        std::optional<KeptDecomposition> again;
        if (earlier != nullptr) again = DecomposeAgain(part, types, scoring, *earlier);
        kept[w] = again ? std::move(*again) : DecomposeKeeping(part, types, scoring);
        windows[w].segments = kept[w].segments;
    });
    after.clear();
    for (std::size_t w = 0; w < windows.size(); ++w) {
        after.emplace(std::string(Bases(sequences, windows[w])), std::move(kept[w]));
    }
    return JoinWindows(sequences.size(), windows);
}

}  // namespace horgrid
