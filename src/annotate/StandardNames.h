#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "decompose/Decompose.h"

namespace horgrid {

// The standard alpha-satellite nomenclature. A HOR monomer name such as
// "S2C13/21H1L.7" is the HOR ("S2C13/21H1L": suprachromosomal family 2,
// chromosomes 13 and 21, HOR 1, live) and the monomer ("7"; "7/8" for a
// hybrid of monomers 7 and 8). A family class ("J1", "D5", "W3", "R2", "Ka")
// has no dot.

// The HOR of a monomer name (before the last dot), "" for a class name.
std::string_view HorOfName(std::string_view name);
// The monomer part (after the last dot), the whole name for a class name.
std::string_view MonomerOfName(std::string_view name);
// True for a hybrid monomer's name ("S2C18H1L.3/7").
bool IsHybrid(std::string_view name);
// True when `part` names one of the monomers a hybrid is made of, in the same
// HOR ("S2C2H1L.3" of "S2C2H1L.1/3").
bool IsHybridPart(std::string_view part, std::string_view hybrid);
// True for a live HOR: its name ends in "L" ("S4CYH1L", not "S3C11H3d" or "S1C10H1-B").
bool IsLiveHor(std::string_view hor);
// The live HOR of a HOR's name: up to the number after its last 'H', then "L"
// ("S2C13/21H1-B" -> "S2C13/21H1L", "S3C11H3d" -> "S3C11H3L"); "" when the name
// has no 'H' and number.
std::string LiveHorOf(std::string_view hor);
// The suprachromosomal family of a HOR or class name: "SF2" for "S2C8H1L",
// "SF4/6" for "S4/6C13/14/21H1", "SF1" for "S01C12H3d"; for classes J -> SF1,
// D and FD -> SF2, W -> SF3, R -> SF5; "-" when the name tells none.
std::string SuprachromosomalFamily(std::string_view name);

// One line of the colour table: a name or, ending in '.', a name prefix; the
// colour as "R,G,B".
struct ColorRule {
    std::string pattern;
    std::string rgb;
};

// The colour table: "PATTERN<TAB>R,G,B" lines; empty lines are skipped.
std::vector<ColorRule> ParseColorTable(std::string_view text);

// The colour of a name: the rule naming it exactly, else the longest prefix
// rule (ending in '.') it begins with, else the longest plain rule it begins
// with ("W" colours W1-W5), else `fallback`.
std::string ColorOf(const std::vector<ColorRule>& rules, std::string_view name,
                    std::string_view fallback = "128,128,128");

// The shipped standard sets (data/, compiled in): the 39 family consensus
// monomers (AS-SF), the standard HOR monomers (AS-HOR, the first record of
// each name; its family class records are left to AS-SF), the colour table and
// every AS-HOR record of a HOR monomer: some monomers have several profiles,
// each its own consensus under the monomer's name (empty: horMonomers alone).
struct StandardSets {
    std::vector<MonomerType> families;
    std::vector<MonomerType> horMonomers;
    std::vector<ColorRule> colors;
    std::vector<MonomerType> horProfiles;
};
StandardSets BuiltInStandardSets();

// The monomers of one HOR: each name once (`names`, the first profile of each)
// and every profile of them (horProfiles, else horMonomers), `nameOf` each
// profile's name. A monomer's profiles may lie 10-20 % apart; the HMM
// annotation takes the best of them, and so do distances to a name.
struct HorProfiles {
    std::vector<MonomerType> names;
    std::vector<MonomerType> profiles;
    std::vector<std::size_t> nameOf;
    // Row-major distances of texts to the profiles as distances to the names:
    // the nearest profile of each.
    std::vector<std::uint32_t> NearestOfName(const std::vector<std::uint32_t>& distance) const;
    // Distances of the profiles to each other as those of the names: the
    // nearest two profiles of each pair of names.
    std::vector<std::uint32_t> Between(const std::vector<std::uint32_t>& distance) const;
};
HorProfiles ProfilesOfHor(const StandardSets& sets, std::string_view hor);

// HOR copies are written in the field's structural-variant
// notation: the HOR, a dot, then the copy's monomers in HOR order with runs of
// consecutive whole numbers joined ("1-6_8-11"); other monomers (hybrids such
// as "32/34", class-named ones) stand alone. {"S1C1/5/19H1L", {"1","2","3",
// "5"}} -> "S1C1/5/19H1L.1-3_5".
std::string StructuralVariantName(std::string_view hor, const std::vector<std::string>& monomers);

}  // namespace horgrid
