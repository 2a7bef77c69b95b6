#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace horgrid {

// What the HOR analysis needs of every record of an ensemble file (sequence,
// position and length column, parsed in the five-column layout), held
// compactly: all sequences in one buffer, about the sequence bytes plus 16
// bytes per record, where loaded alpha records take several times that.
class CompactEnsemble {
public:
    // Reads the ensemble file line by line; a missing or unreadable file
    // raises FileError.
    explicit CompactEnsemble(const std::string& path);

    std::size_t size() const { return positions.size(); }
    std::string_view sequence(std::size_t index) const;
    // Views of the sequences of records first ... end - 1, valid while this ensemble lives.
    std::vector<std::string_view> Sequences(std::size_t first, std::size_t end) const;

    std::vector<int> positions;
    std::vector<int> lengths;

private:
    std::string bases_;
    std::vector<std::uint64_t> ends_;  // end of record k's sequence in bases_
};

}  // namespace horgrid
