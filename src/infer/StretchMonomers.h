#pragma once

// Monomers of their own for the tandem stretches that lie outside the live
// arrays (internal to infer/).

#include <string>
#include <vector>

#include "infer/InferState.h"

namespace horgrid::infer {

// Percent of `monomer`'s length by which it lies from every rotation of the
// nearest of `near` (its edits into some stretch of one of them laid twice).
double RotatedApart(const std::string& monomer, const std::vector<std::string>& near);

// The groups (consensuses, largest first) that are an earlier kept one cut in
// another phase: within the merge limit of one of its rotations, not of
// itself. Tandem copies of one monomer decomposed a few bases out of phase
// give such a group; its segments belong to the monomer.
std::vector<std::size_t> ShiftedGroups(const std::vector<std::string>& consensuses, float mergeLimit);

// One period of its own for each stretch of the tandem stretches that the
// state's decomposition fits nowhere at minIdentity over at least ten periods
// (`period` bases each) and that repeats on its own at half to twice the
// period (FindTandemPeriod over that stretch alone, so a retrotransposon's
// long terminal repeats give none): an array of another family, or of one so
// far from the unit that too few of its copies align to a monomer to be
// grouped. Read in its own phase; each lies at least twice the closeness
// from every rotation of those before it.
std::vector<std::string> UnfitPeriods(const std::vector<std::string>& sequences, const State& state,
                                      std::size_t period, const InferSettings& settings);

// Monomers of their own for the old arrays of the de novo route's period that
// lie outside the live arrays: the segments of the state's decomposition in
// its tandem stretches and in no stretch of HorClass, of at least minIdentity
// and within a third of their type's length, grouped at the closeness, or
// where that leaves most of them in no group of minCount at one and a half,
// two or two and a half times it (copies of an old array lie further apart
// than a live one's); where even that leaves most of them (five times
// minCount or more) in no group, those left make one more group, kept when
// its consensus fits them better than the live monomers do and lies at least
// the closeness from every rotation of them.
// A group's consensus is kept when it lies at least twice the closeness from
// every rotation of each of `near` (the live monomers: a stretch of their own
// family, maybe cut in another phase, needs none) and the merge limit from
// the consensuses kept before it; one that is a kept one cut in another phase
// (ShiftedGroups) is left out, so an old array is read in one phase. Empty
// without tandem stretches (the template route).
std::vector<std::string> StretchMonomers(const std::vector<std::string>& sequences, const State& state,
                                         const std::vector<std::string>& near, const InferSettings& settings);

}  // namespace horgrid::infer
