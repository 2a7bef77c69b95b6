#include "scan/AlphaScan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <stdexcept>

#include "decompose/Decompose.h"
#include "sequence/Kmers.h"

namespace horgrid {
namespace {

constexpr int kMinK = 8;
constexpr int kMaxK = 14;
constexpr int kTailBases = 11;

bool Bit(const std::vector<std::uint64_t>& bits, std::int64_t offset) {
    return (bits[static_cast<std::size_t>(offset >> 6)] >> (offset & 63)) & 1;
}

}  // namespace

std::string AlphaScanSettingsError(const AlphaScanSettings& settings) {
    if (settings.k < kMinK || settings.k > kMaxK) return "k must lie between 8 and 14";
    if (settings.window < 64) return "the window must have at least 64 bases";
    if (!(settings.density > 0 && settings.density <= 1)) return "the density must lie in (0, 1]";
    if (settings.joinGap < 0 || settings.minLength < 0) return "lengths must not be negative";
    if (settings.assemblyGap < 1) return "an assembly gap has at least one base";
    return "";
}

namespace {

// Calls enter(code) for every k-mer of the references and their reverse complements.
template <typename Enter>
void ForEachReferenceKmer(const std::vector<std::string>& references, int k, const Enter& enter) {
    const std::uint32_t mask = (std::uint32_t{1} << (2 * k)) - 1;
    for (const std::string& reference : references) {
        for (const std::string& strand : {reference, ReverseComplement(reference)}) {
            std::uint32_t code = 0;
            int valid = 0;
            for (const char c : strand) {
                const std::uint32_t base = kBaseCodes[static_cast<unsigned char>(c)];
                if (base > 3) {
                    valid = 0;
                    continue;
                }
                code = ((code << 2) | base) & mask;
                if (++valid >= k) enter(code);
            }
        }
    }
}

}  // namespace

AlphaKmerTable::AlphaKmerTable(const std::vector<std::string>& references, int k) : k_(k) {
    if (k < kMinK || k > kMaxK) throw std::invalid_argument("k must lie between 8 and 14");
    const int tail = std::min(k, kTailBases);
    tailBits_ = 2 * tail;
    tailMask_ = (std::uint32_t{1} << tailBits_) - 1;
    tails_.assign(std::max<std::size_t>((std::size_t{1} << tailBits_) / 64, 1), 0);
    ForEachReferenceKmer(references, k, [&](std::uint32_t code) {
        const std::uint32_t low = code & tailMask_;
        tails_[low >> 6] |= std::uint64_t{1} << (low & 63);
    });
    before_.assign(tails_.size(), 0);
    std::uint32_t count = 0;
    for (std::size_t word = 0; word < tails_.size(); ++word) {
        before_[word] = count;
        count += static_cast<std::uint32_t>(std::popcount(tails_[word]));
    }
    leading_.assign(count + std::size_t{1}, 0);
    ForEachReferenceKmer(references, k, [&](std::uint32_t code) {
        const std::uint32_t low = code & tailMask_;
        const std::uint64_t bit = std::uint64_t{1} << (code >> tailBits_);
        std::uint64_t& held = leading_[before_[low >> 6] + SetBitsBelow(tails_[low >> 6], low & 63)];
        size_ += (held & bit) == 0;
        held |= bit;
    });
    if (size_ == 0) throw std::invalid_argument("no reference k-mer");
}

AlphaScanner::AlphaScanner(const AlphaKmerTable& table, const AlphaScanSettings& settings)
    : table_(table), settings_(settings) {
    if (const std::string error = AlphaScanSettingsError(settings); !error.empty()) {
        throw std::invalid_argument(error);
    }
    if (table.K() != settings.k) throw std::invalid_argument("the k-mer table has another k");
    StartPiece(0);
}

void AlphaScanner::NewWindow(std::int64_t at) {
    current_ = Window{};
    current_.start = at;
    current_.end = at + settings_.window;
    current_.bits.assign(static_cast<std::size_t>((settings_.window + 63) / 64), 0);
    current_.present = true;
}

void AlphaScanner::StartPiece(std::int64_t at) {
    NewWindow(at);
    previous_.present = false;
    inGap_ = false;
}

void AlphaScanner::Feed(std::string_view chunk) {
    const int k = table_.K();
    const std::uint32_t mask = (std::uint32_t{1} << (2 * k)) - 1;
    const std::int64_t gapLength = settings_.assemblyGap;
    const std::size_t n = chunk.size();
    std::size_t i = 0;
    while (i < n) {
        if (inGap_) {
            std::size_t j = i;
            while (j < n && kBaseCodes[static_cast<unsigned char>(chunk[j])] > 3) ++j;
            position_ += static_cast<std::int64_t>(j - i);
            i = j;
            if (i == n) return;
            StartPiece(position_);
            invalidRun_ = 0;
            continue;
        }
        // The bases up to the end of the chunk or of the window, with the
        // state in locals.
        const std::size_t stop =
            std::min<std::size_t>(n, i + static_cast<std::size_t>(current_.end - position_));
        std::uint32_t code = code_;
        int valid = valid_;
        std::int64_t run = invalidRun_;
        std::int64_t kmers = 0;
        std::int64_t hits = 0;
        std::uint64_t* bits = current_.bits.data();
        std::int64_t offset = position_ - current_.start;
        // The 64 positions of a word of hit bits go in two passes: the tail
        // look-ups without a branch, the k-mer codes kept aside, then the
        // whole k-mers of the tails found (few outside alpha satellite). A
        // store or a branch per base would chain the look-ups one after the
        // other.
        std::array<std::uint32_t, 64> codes;
        std::uint64_t candidates = 0;
        std::int64_t wordIndex = offset >> 6;
        const auto settle = [&] {
            std::uint64_t found = 0;
            for (std::uint64_t rest = candidates; rest != 0; rest &= rest - 1) {
                const int at = std::countr_zero(rest);
                found |= static_cast<std::uint64_t>(table_.WholeContains(codes[at])) << at;
            }
            bits[wordIndex] |= found;
            hits += std::popcount(found);
            candidates = 0;
        };
        bool gap = false;
        std::size_t j = i;
        for (; j < stop; ++j, ++offset) {
            if ((offset & 63) == 0) {
                settle();
                wordIndex = offset >> 6;
            }
            const std::uint32_t base = kBaseCodes[static_cast<unsigned char>(chunk[j])];
            if (base > 3) [[unlikely]] {
                valid = 0;
                if (++run == gapLength) {
                    gap = true;
                    ++j;
                    break;
                }
                continue;
            }
            run = 0;
            code = ((code << 2) | base) & mask;
            valid += valid < k;
            const std::uint64_t full = valid == k;
            kmers += static_cast<std::int64_t>(full);
            codes[offset & 63] = code;
            candidates |= (full & static_cast<std::uint64_t>(table_.TailContains(code))) << (offset & 63);
        }
        settle();
        position_ += static_cast<std::int64_t>(j - i);
        code_ = code;
        valid_ = valid;
        invalidRun_ = run;
        current_.kmers += kmers;
        current_.hits += hits;
        i = j;
        if (gap) {
            EndPiece(position_ - gapLength);
        } else if (position_ == current_.end) {
            CompleteWindow();
        }
    }
}

void AlphaScanner::CompleteWindow() {
    const std::int64_t next = current_.end;
    Classify(std::move(current_));
    NewWindow(next);
}

void AlphaScanner::EndPiece(std::int64_t at) {
    if (current_.present && current_.start < at) {
        current_.end = std::min(current_.end, at);
        Classify(std::move(current_));
    }
    if (open_) Close();
    Flush();
    current_ = Window{};
    previous_.present = false;
    inGap_ = true;
}

void AlphaScanner::Classify(Window window) {
    window.alpha = window.kmers * 2 >= settings_.window &&
                   static_cast<double>(window.hits) >= settings_.density * static_cast<double>(window.kmers);
    if (window.alpha) {
        if (open_ && window.start - last_.end < settings_.joinGap) {
            stretchHits_ += pendingHits_ + window.hits;
            stretchKmers_ += pendingKmers_ + window.kmers;
        } else {
            if (open_) Close();
            open_ = true;
            openStart_ = RefinedStart(window);
            stretchHits_ = window.hits;
            stretchKmers_ = window.kmers;
        }
        pendingHits_ = pendingKmers_ = 0;
        last_ = window;
        after_.present = false;
    } else if (open_) {
        pendingHits_ += window.hits;
        pendingKmers_ += window.kmers;
        if (!after_.present) after_ = window;
        if (window.end - last_.end >= settings_.joinGap) Close();
    }
    // A stretch opened later starts at most a window before its first alpha
    // window, which comes after this one: none can join the held one now.
    if (held_.present && !open_ && window.start - held_.end >= settings_.joinGap) Flush();
    previous_ = std::move(window);
}

std::int64_t AlphaScanner::RefinedStart(const Window& first) const {
    const bool before = previous_.present && previous_.end == first.start;
    const std::int64_t lowest = before ? previous_.start : first.start;
    double sum = 0;
    double best = -std::numeric_limits<double>::infinity();
    std::int64_t bestAt = first.start;
    for (std::int64_t x = first.end - 1; x >= lowest; --x) {
        const bool hit =
            x >= first.start ? Bit(first.bits, x - first.start) : Bit(previous_.bits, x - previous_.start);
        sum += (hit ? 1.0 : 0.0) - settings_.density;
        if (hit && sum >= best) {
            best = sum;
            bestAt = x;
        }
    }
    return std::max<std::int64_t>(0, bestAt - table_.K() + 1);
}

std::int64_t AlphaScanner::RefinedEnd() const {
    const bool after = after_.present && after_.start == last_.end;
    const std::int64_t highest = after ? after_.end : last_.end;
    double sum = 0;
    double best = -std::numeric_limits<double>::infinity();
    std::int64_t bestAt = last_.end - 1;
    for (std::int64_t x = last_.start; x < highest; ++x) {
        const bool hit =
            x < last_.end ? Bit(last_.bits, x - last_.start) : Bit(after_.bits, x - after_.start);
        sum += (hit ? 1.0 : 0.0) - settings_.density;
        if (hit && sum >= best) {
            best = sum;
            bestAt = x;
        }
    }
    return bestAt + 1;
}

void AlphaScanner::Close() {
    open_ = false;
    const std::int64_t end = std::max(RefinedEnd(), openStart_);
    after_.present = false;
    if (held_.present && openStart_ - held_.end < settings_.joinGap) {
        held_.end = end;
        held_.hits += stretchHits_;
        held_.kmers += stretchKmers_;
        return;
    }
    Flush();
    held_ = Held{openStart_, end, stretchHits_, stretchKmers_, true};
}

void AlphaScanner::Flush() {
    if (held_.present && held_.end > held_.start && held_.end - held_.start >= settings_.minLength) {
        const double density =
            held_.kmers > 0 ? static_cast<double>(held_.hits) / static_cast<double>(held_.kmers) : 0.0;
        found_.push_back({held_.start, held_.end, density});
    }
    held_.present = false;
}

std::vector<AlphaStretch> AlphaScanner::Take() {
    std::vector<AlphaStretch> found;
    found.swap(found_);
    return found;
}

std::vector<AlphaStretch> AlphaScanner::Finish() {
    EndPiece(position_);
    std::vector<AlphaStretch> found = Take();
    position_ = 0;
    code_ = 0;
    valid_ = 0;
    invalidRun_ = 0;
    StartPiece(0);
    return found;
}

std::vector<AlphaStretch> FindAlphaStretches(std::string_view sequence, const AlphaKmerTable& table,
                                             const AlphaScanSettings& settings) {
    AlphaScanner scanner(table, settings);
    scanner.Feed(sequence);
    return scanner.Finish();
}

}  // namespace horgrid
