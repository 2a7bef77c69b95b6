#include "data/EmbeddedData.h"

#include <zlib.h>

#include <cctype>
#include <stdexcept>
#include <unordered_set>

namespace horgrid {
namespace {

// Inflates every gzip member of `bytes` (bgzip writes many).
std::string Gunzip(std::string_view bytes, std::string_view name) {
    std::string text;
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) throw std::runtime_error("zlib cannot start");
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    char buffer[1 << 15];
    while (true) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        const int status = inflate(&stream, Z_NO_FLUSH);
        text.append(buffer, sizeof buffer - stream.avail_out);
        if (status == Z_STREAM_END) {
            if (stream.avail_in == 0) break;
            inflateReset(&stream);
        } else if (status != Z_OK) {
            inflateEnd(&stream);
            throw std::runtime_error("damaged compressed data in embedded '" + std::string(name) + "'");
        }
    }
    inflateEnd(&stream);
    return text;
}

}  // namespace

std::string EmbeddedText(std::string_view name) {
    for (const EmbeddedFile& file : EmbeddedFiles()) {
        if (file.name != name) continue;
        if (name.ends_with(".gz")) return Gunzip(file.bytes, name);
        return std::string(file.bytes);
    }
    throw std::out_of_range("no embedded file '" + std::string(name) + "'");
}

std::vector<MonomerType> EmbeddedMonomerRecords(std::string_view name) {
    const std::string text = EmbeddedText(name);
    std::vector<MonomerType> set;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + begin, end - begin);
        begin = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.starts_with('>')) {
            line.remove_prefix(1);
            set.push_back({std::string(line.substr(0, line.find_first_of(" \t"))), ""});
        } else if (!set.empty()) {
            for (const char base : line) {
                set.back().sequence += static_cast<char>(std::toupper(static_cast<unsigned char>(base)));
            }
        }
    }
    return set;
}

std::vector<MonomerType> FirstOfEachName(std::vector<MonomerType> set) {
    std::unordered_set<std::string> seen;
    std::erase_if(set, [&](const MonomerType& type) { return !seen.insert(type.name).second; });
    return set;
}

std::vector<MonomerType> EmbeddedMonomerSet(std::string_view name) {
    return FirstOfEachName(EmbeddedMonomerRecords(name));
}

}  // namespace horgrid
