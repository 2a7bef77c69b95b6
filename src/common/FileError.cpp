#include "common/FileError.h"

#include <cstring>

namespace horgrid {

FileError FileError::FromErrno(const std::string& verb, const std::string& path, int errorNumber) {
    return FromReason(verb, path, std::strerror(errorNumber));
}

FileError FileError::FromReason(const std::string& verb, const std::string& path, const std::string& reason) {
    return FileError(verb + " '" + path + "': " + reason);
}

std::string Printable(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            shown.push_back(c);
        } else {
            shown += "\\x";
            shown.push_back(kHex[byte >> 4]);
            shown.push_back(kHex[byte & 0xF]);
        }
    }
    return shown;
}

}  // namespace horgrid
