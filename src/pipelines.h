#pragma once

// The satellite pipelines of the horgrid library: decompose, infer, annotate,
// report and dotplot, each as a pure core (records in, value out: no files, no
// printing) and as a pipeline over a file. Installed as <horgrid/pipelines.h>
// (and included by <horgrid/horgrid.h>); link with horgrid::horgrid. C++20,
// namespace horgrid.
//
// How every pipeline runs (minimap2's shape): a RecordSource
// (seqio/RecordSource.h) reads the records of a FASTA or FASTQ file, plain,
// gzip or bgzip, or one region of it through its .fai index; the core runs on
// the threads given; the results reach the caller's sinks (std::function
// callbacks) in input order, on the calling thread, and the result files are
// written as one result set: all of them replace their earlier versions
// together once everything is computed, or none does, and no input, earlier
// result or non-regular file is ever overwritten. The library never prints:
// what a command shows it takes from the sinks. Results do not depend on the
// thread count.
//
// Failure: FileError (common/FileError.h) for a file that cannot be read or a
// result that cannot be written, InputError for an input that can be read but
// not taken; both are std::runtime_error with a message naming the file (and
// record) and the reason. Nothing is written then. An exception a sink raises
// stops the run the same way. A report picture gnuplot could not draw is no
// failure: the page says why and the result's `missing` lists it.
//
// Cores and their cost (L bases of a record, M bases of a monomer set, both
// strands counted):
//   Decompose (decompose/Decompose.h): the optimal cut of one record into
//     monomers. Time O(L x M), memory about 2.5 bytes per base for the
//     traceback. std::invalid_argument when DecomposeLimitError names a reason
//     (records of 2^32 bases or more, scores too large, an empty set).
//   DecomposeInWindows (decompose/ChunkedDecompose.h): the same on many
//     records and threads, long records cut into overlapping windows.
//   InferMonomers (infer/Inference.h): the monomer set and HOR of one array
//     or region from template monomers; a few rounds of decomposition and
//     grouping, each O(L x M) plus the grouping of the segments.
//   AnnotateSequence (annotate/Annotate.h): the standard alpha-satellite
//     annotation of one stretch (monomers with class and standard HOR names,
//     arrays, HOR copies); a decomposition with the 39 family monomers, then
//     name searches among the standard HOR monomers. PlaceAnnotation
//     (annotate/PlacedAnnotation.h) turns it into the tracks and array rows
//     that both the result files and the report show.
//
// Pipelines:
//   DecomposeRecords, DecomposeFile (decompose/DecomposeFile.h): every record
//     decomposed, batches of records on the threads; DecomposeFile writes
//     PREFIX_decomposition.tsv/.bed and PREFIX.ens/N.ens.
//   InferFile (infer/InferFile.h): every record read, one inference over them
//     all; writes PREFIX_monomers.fa, PREFIX_hors.tsv/.bed and the
//     decomposition files; returns the Inference.
//   AnnotateRecord, AnnotateFile (annotate/AnnotateFile.h): records streamed
//     one at a time, long ones scanned for their alpha-satellite stretches
//     first (scan/AlphaScan.h); AnnotateFile writes the AS-HOR, AS-SF,
//     AS-strand and AS-StV tracks, PREFIX_arrays.tsv, PREFIX_decomposition.tsv
//     and the report page.
//   ReportFile (report/ReportFile.h): the page of an annotation written
//     earlier, drawn from the annotated sequences.
//   SequenceDotPlotFile (dotplot/SequenceDotPlot.h): k-mer identity heat maps
//     of sequence windows, a record against itself or two records;
//     EnsembleDotPlotFile (dotplot/EnsembleDotPlot.h): the identity of every
//     pair of an ensemble's monomers.

#include "annotate/Annotate.h"
#include "annotate/AnnotateFile.h"
#include "annotate/PlacedAnnotation.h"
#include "annotate/StandardNames.h"
#include "common/FileError.h"
#include "decompose/ChunkedDecompose.h"
#include "decompose/Decompose.h"
#include "decompose/DecomposeFile.h"
#include "decompose/MonomerSet.h"
#include "dotplot/EnsembleDotPlot.h"
#include "dotplot/SequenceDotPlot.h"
#include "infer/InferFile.h"
#include "infer/Inference.h"
#include "report/ReportFile.h"
#include "seqio/RecordSource.h"
#include "seqio/SequenceReader.h"
