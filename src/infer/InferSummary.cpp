#include "infer/InferSummary.h"

#include <array>

#include "common/NumberFormat.h"

namespace horgrid {

std::string InferSummary(const Inference& inference, const std::string& templates) {
    const InferRoute& route = inference.route;
    std::string text = "route: ";
    if (route.fromTemplates) {
        text +=
            "templates (" + templates + "), " + Fixed(route.templateShare, 1) + " % of the bases explained\n";
    } else {
        text += "de novo: the templates (" + templates + ") explain " + Fixed(route.templateShare, 1) +
                " % of the bases; ";
        if (route.period.period == 0) {
            text += "no tandem period found\n";
        } else {
            text += "tandem period " + std::to_string(route.period.period) +
                    " bp from the k-mer distances (" + Fixed(100 * route.period.share, 1) +
                    " % of the k-mers), " +
                    (route.cut > 0      ? "the templates cut one period into " + std::to_string(route.cut) +
                                             (route.cut == 1 ? " piece" : " pieces")
                     : route.ownCut > 0 ? "its monomer of " + std::to_string(route.period.monomer) +
                                              " bp cuts one period into " + std::to_string(route.ownCut) +
                                              (route.ownCut == 1 ? " piece" : " pieces")
                                        : std::string("one period as the template")) +
                    "\n";
        }
    }
    std::array<std::int64_t, 4> bases{};
    std::array<std::size_t, 4> stretches{};
    for (const ArrayStretch& stretch : inference.regions) {
        bases[static_cast<std::size_t>(stretch.kind)] += stretch.end - stretch.start + 1;
        ++stretches[static_cast<std::size_t>(stretch.kind)];
    }
    if (!inference.regions.empty()) {
        text += "regions:";
        for (std::size_t k = 0; k < bases.size(); ++k) {
            text += std::string(k == 0 ? " " : ", ") + RegionClassName(static_cast<RegionClass>(k)).data() +
                    " " + std::to_string(bases[k]) + " bp in " + std::to_string(stretches[k]);
        }
        text += " stretches\n";
    }
    for (const HybridMonomer& hybrid : inference.hybrids) {
        text += "hybrid: " + inference.monomers[hybrid.monomer].name + " = first half " +
                inference.monomers[hybrid.first].name + ", second half " +
                inference.monomers[hybrid.second].name + "\n";
    }
    return text;
}

}  // namespace horgrid
