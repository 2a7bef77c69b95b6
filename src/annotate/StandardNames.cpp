#include "annotate/StandardNames.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <map>
#include <optional>

#include "data/EmbeddedData.h"

namespace horgrid {

std::string_view HorOfName(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(0, dot);
}

std::string_view MonomerOfName(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(dot + 1);
}

bool IsHybrid(std::string_view name) { return MonomerOfName(name).find('/') != std::string_view::npos; }

bool IsHybridPart(std::string_view part, std::string_view hybrid) {
    if (HorOfName(part) != HorOfName(hybrid) || IsHybrid(part)) return false;
    std::string_view rest = MonomerOfName(hybrid);
    while (!rest.empty()) {
        const std::string_view one = rest.substr(0, rest.find('/'));
        if (one == MonomerOfName(part)) return true;
        rest.remove_prefix(std::min(rest.size(), one.size() + 1));
    }
    return false;
}

bool IsLiveHor(std::string_view hor) { return !hor.empty() && hor.back() == 'L'; }

std::string LiveHorOf(std::string_view hor) {
    const std::size_t h = hor.rfind('H');
    if (h == std::string_view::npos) return "";
    std::size_t end = h + 1;
    while (end < hor.size() && std::isdigit(static_cast<unsigned char>(hor[end]))) ++end;
    if (end == h + 1) return "";
    return std::string(hor.substr(0, end)) + "L";
}

std::string SuprachromosomalFamily(std::string_view name) {
    const std::string_view hor = HorOfName(name).empty() ? name : HorOfName(name);
    if (hor.size() > 1 && hor[0] == 'S' && std::isdigit(static_cast<unsigned char>(hor[1]))) {
        std::string family = "SF";
        std::size_t i = 1;
        bool leading = true;  // "S01C..." is family 1
        for (; i < hor.size() && (std::isdigit(static_cast<unsigned char>(hor[i])) || hor[i] == '/'); ++i) {
            if (leading && hor[i] == '0' && i + 1 < hor.size() && std::isdigit(static_cast<unsigned char>(hor[i + 1])))
                continue;
            leading = hor[i] == '/';
            family += hor[i];
        }
        return family;
    }
    if (hor.starts_with("FD") || hor.starts_with('D')) return "SF2";
    if (hor.starts_with('J')) return "SF1";
    if (hor.starts_with('W')) return "SF3";
    if (hor.starts_with('R')) return "SF5";
    return "-";
}

std::vector<ColorRule> ParseColorTable(std::string_view text) {
    std::vector<ColorRule> rules;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) continue;
        rules.push_back({std::string(line.substr(0, tab)), std::string(line.substr(tab + 1))});
    }
    return rules;
}

std::string ColorOf(const std::vector<ColorRule>& rules, std::string_view name, std::string_view fallback) {
    const ColorRule* prefix = nullptr;
    const ColorRule* plain = nullptr;
    for (const ColorRule& rule : rules) {
        if (rule.pattern == name) return rule.rgb;
        if (!name.starts_with(rule.pattern)) continue;
        const ColorRule*& best = rule.pattern.ends_with('.') ? prefix : plain;
        if (best == nullptr || rule.pattern.size() > best->pattern.size()) best = &rule;
    }
    if (prefix != nullptr) return prefix->rgb;
    if (plain != nullptr) return plain->rgb;
    return std::string(fallback);
}

StandardSets BuiltInStandardSets() {
    std::vector<MonomerType> profiles = EmbeddedMonomerRecords("AS-HOR.consensus.fa.gz");
    std::erase_if(profiles, [](const MonomerType& type) { return HorOfName(type.name).empty(); });
    return {EmbeddedMonomerSet("AS-SF.consensus.fa"), FirstOfEachName(profiles),
            ParseColorTable(EmbeddedText("colors.tsv")), profiles};
}

HorProfiles ProfilesOfHor(const StandardSets& sets, std::string_view hor) {
    HorProfiles found;
    std::map<std::string_view, std::size_t> index;
    for (const MonomerType& type : sets.horProfiles.empty() ? sets.horMonomers : sets.horProfiles) {
        if (HorOfName(type.name) != hor) continue;
        const auto [it, added] = index.emplace(type.name, found.names.size());
        if (added) found.names.push_back(type);
        found.profiles.push_back(type);
        found.nameOf.push_back(it->second);
    }
    return found;
}

std::vector<std::uint32_t> HorProfiles::NearestOfName(const std::vector<std::uint32_t>& distance) const {
    const std::size_t width = profiles.size();
    std::vector<std::uint32_t> nearest(distance.size() / std::max<std::size_t>(width, 1) * names.size(),
                                       std::numeric_limits<std::uint32_t>::max());
    for (std::size_t i = 0; i < distance.size(); ++i) {
        std::uint32_t& to = nearest[i / width * names.size() + nameOf[i % width]];
        to = std::min(to, distance[i]);
    }
    return nearest;
}

std::vector<std::uint32_t> HorProfiles::Between(const std::vector<std::uint32_t>& distance) const {
    const std::vector<std::uint32_t> toNames = NearestOfName(distance);  // profiles x names
    std::vector<std::uint32_t> between(names.size() * names.size(),
                                       std::numeric_limits<std::uint32_t>::max());
    for (std::size_t p = 0; p < profiles.size(); ++p) {
        for (std::size_t c = 0; c < names.size(); ++c) {
            std::uint32_t& to = between[nameOf[p] * names.size() + c];
            to = std::min(to, toNames[p * names.size() + c]);
        }
    }
    return between;
}

namespace {

std::optional<long> WholeNumber(std::string_view text) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::string StructuralVariantName(std::string_view hor, const std::vector<std::string>& monomers) {
    std::string name = std::string(hor) + ".";
    for (std::size_t i = 0; i < monomers.size();) {
        if (i > 0) name += '_';
        name += monomers[i];
        std::size_t j = i + 1;
        if (const std::optional<long> first = WholeNumber(monomers[i])) {
            while (j < monomers.size() && WholeNumber(monomers[j]) == *first + static_cast<long>(j - i)) ++j;
            if (j - i > 1) name += '-' + monomers[j - 1];
        }
        i = j;
    }
    return name;
}

}  // namespace horgrid
