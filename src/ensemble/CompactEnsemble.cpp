#include "ensemble/CompactEnsemble.h"

#include "ensemble/EnsembleReader.h"

namespace horgrid {

CompactEnsemble::CompactEnsemble(const std::string& path) {
    EnsembleReader reader(path);
    // The sequences take most of the file; pages of the reservation that stay
    // unused are never touched, so they cost no memory.
    bases_.reserve(reader.SizeHint());
    alpha record;
    while (reader.Next(record)) {
        bases_ += record.sequence;
        ends_.push_back(bases_.size());
        positions.push_back(record.position);
        lengths.push_back(record.length);
    }
}

std::string_view CompactEnsemble::sequence(std::size_t index) const {
    const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(bases_).substr(begin, ends_[index] - begin);
}

std::vector<std::string_view> CompactEnsemble::Sequences(std::size_t first, std::size_t end) const {
    std::vector<std::string_view> views;
    views.reserve(end > first ? end - first : 0);
    for (std::size_t k = first; k < end; ++k) views.push_back(sequence(k));
    return views;
}

}  // namespace horgrid
