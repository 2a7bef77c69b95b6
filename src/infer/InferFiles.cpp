#include "infer/InferFiles.h"

namespace horgrid {
namespace {

const char* KindName(CopyKind kind) {
    switch (kind) {
        case CopyKind::Full:
            return "full";
        case CopyKind::Partial:
            return "partial";
        case CopyKind::Variant:
            return "variant";
    }
    return "";
}

std::string TypeList(const std::vector<std::size_t>& types, const std::vector<MonomerType>& monomers) {
    if (types.empty()) return "-";
    std::string list;
    for (const std::size_t type : types) {
        if (!list.empty()) list += ',';
        list += monomers[type].name;
    }
    return list;
}

}  // namespace

std::string MonomersFasta(const std::vector<MonomerType>& monomers) {
    std::string text;
    for (const MonomerType& monomer : monomers) text += ">" + monomer.name + "\n" + monomer.sequence + "\n";
    return text;
}

std::string UnitName(const HorResult& hor) {
    return hor.unit.empty() ? "-" : std::to_string(hor.unit.size()) + "mer";
}

std::string HorCopiesTsv(const Inference& inference, const std::vector<std::string>& recordNames) {
    std::string text = "#record\tstart\tend\tstrand\tunit\tmonomers\tkind\tlacks\tadds\n";
    const std::string unit = UnitName(inference.hor);
    for (const HorCopy& copy : inference.hor.copies) {
        text += recordNames[copy.record] + "\t" + std::to_string(copy.start) + "\t" +
                std::to_string(copy.end) + "\t" + (copy.reverse ? "-" : "+") + "\t" + unit + "\t" +
                TypeList(copy.types, inference.monomers) + "\t" + KindName(copy.kind) + "\t" +
                TypeList(copy.lacks, inference.monomers) + "\t" + TypeList(copy.adds, inference.monomers) +
                "\n";
    }
    return text;
}

std::string HorCopiesBed(const Inference& inference, const std::vector<std::string>& recordNames) {
    std::string text;
    for (const HorCopy& copy : inference.hor.copies) {
        text += recordNames[copy.record] + "\t" + std::to_string(copy.start) + "\t" +
                std::to_string(copy.end + 1) + "\t" + KindName(copy.kind) + "\t" +
                std::to_string(copy.types.size()) + "\t" + (copy.reverse ? "-" : "+") + "\n";
    }
    return text;
}

}  // namespace horgrid
