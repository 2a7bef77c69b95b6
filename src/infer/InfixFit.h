#pragma once

// Where a piece fits into a longer text, ends of the text free (internal to
// infer/): how far a monomer lies from every rotation of another, and the
// phase of a copy against a period laid end to end.

#include <cstddef>
#include <string_view>

namespace horgrid {

// The fewest unit-cost edits that turn `piece` into some stretch of `text`.
std::size_t InfixEdits(std::string_view piece, std::string_view text);

// The same edits and the stretch [begin, end) of `text` they turn it into; of
// equally good stretches the one ending first, and of those the one starting
// last.
struct InfixFit {
    std::size_t edits = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
};

InfixFit FitInto(std::string_view piece, std::string_view text);

// Whether `fit` (of `piece` into `text`) shows descent, not chance: it needs a
// tenth of the piece's length fewer edits than the piece's fit into `text`
// reversed, which has the same composition and no descent. Unrelated pieces of
// a hundred bases or more differ from that by a few edits only.
bool FitsByDescent(std::string_view piece, std::string_view text, const InfixFit& fit);

}  // namespace horgrid
