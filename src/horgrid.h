#pragma once

// The public interface of the horgrid library: alpha-satellite monomer
// records, their ensembles and the analyses over them. Installed as
// <horgrid/horgrid.h>; link with horgrid::horgrid (CMake) or
// `pkg-config --cflags --libs horgrid`. C++20.
//
// Contract shared by everything declared here:
// - Everything is in namespace horgrid; records and results are plain values.
// - In the older analyses, sequences are byte strings compared exactly (case
//   counts, N is no wildcard); a distance percentage is distance * 100 / the
//   length of the first sequence of the pair, in single precision. The
//   pipelines of pipelines.h state their own rules (decomposition compares
//   bases case-insensitively).
// - Functions that read or write files raise FileError (a std::runtime_error
//   whose message names the path and the reason); results are written to a
//   temporary file and moved into place only when complete, so an old result
//   is never left truncated; pictures are drawn by gnuplot into a temporary
//   file the same way (common/Gnuplot.h).
// - The pure analyses (records in, value out) neither read files nor print;
//   the classes named after the analyses read, call them, print progress on
//   standard output and write their result files beside the input.
// - The pipelines (pipelines.h: decompose, infer, annotate, report, dotplot)
//   read, compute and write their result sets but never print: they hand
//   what a caller may show to its callbacks, and raise FileError or
//   InputError (an input that can be read but not taken).
// - No global mutable state but the signal handler's table of temporary
//   files: separate objects may be used from separate threads (progress lines
//   on standard output may then interleave).
//
// What each header holds:
//   common/FileError.h                the error raised for unreadable inputs
//                                     and unwritable results
//   common/Gnuplot.h                  the safe gnuplot runner behind every
//                                     picture (no shell, bounded, atomic)
//   sequence/EditDistance.h           Levenshtein distances (exact, bounded)
//   sequence/DistancePercent.h        the single-precision distance percentage
//   seqio/genome.h                    the sequence-file reader
//   seqio/FindDistanceBetweenStrings.h  the distance of two sequence files
//   ensemble/alpha.h                  one monomer record and its line layouts
//   ensemble/alphaEnsemble.h          an ensemble file and its analyses (dot
//                                     matrix, CENP-B boxes, families, merge,
//                                     purification)
//   ensemble/CenpB.h, ensemble/Families.h, ensemble/DotMatrix.h,
//   ensemble/Merge.h, ensemble/Purify.h
//                                     the pure cores of those analyses
//   hor/monomer.h, hor/horAnaliser2.h, hor/drawHOR.h
//                                     the HOR grid of an ensemble and its plot
//   hor/HorGrid.h, hor/HorSegments.h  the pure HOR grid and segment cutting
//   groups/MonomersFile.h             monomers files: records in groups
//   groups/consensus.h                consensus of a group
//   groups/distanceMatrix.h           distance matrix of a group
//   groups/CloseMatrix.h, groups/CloseGroups.h, groups/horAnaliser.h
//                                     grouping of a dot matrix's close monomers
//   groups/horTable.h                 divergence within HOR copies
//   pipelines.h                       decompose, infer, annotate and report:
//                                     their cores and file pipelines

#include "common/FileError.h"
#include "common/Gnuplot.h"
#include "ensemble/alpha.h"
#include "ensemble/CenpB.h"
#include "ensemble/DotMatrix.h"
#include "ensemble/Families.h"
#include "ensemble/Merge.h"
#include "ensemble/Purify.h"
#include "ensemble/alphaEnsemble.h"
#include "groups/CloseGroups.h"
#include "groups/CloseMatrix.h"
#include "groups/MonomersFile.h"
#include "groups/consensus.h"
#include "groups/distanceMatrix.h"
#include "groups/horAnaliser.h"
#include "groups/horTable.h"
#include "hor/HorGrid.h"
#include "hor/HorSegments.h"
#include "hor/drawHOR.h"
#include "hor/horAnaliser2.h"
#include "hor/monomer.h"
#include "pipelines.h"
#include "seqio/FindDistanceBetweenStrings.h"
#include "seqio/genome.h"
#include "sequence/DistancePercent.h"
#include "sequence/EditDistance.h"
