#include "common/FileError.h"

#include <cstring>

namespace horgrid {

FileError FileError::WithReason(const std::string& verb, const std::string& path, const std::string& reason) {
    return FileError(verb + " '" + path + "': " + reason);
}

FileError FileError::FromErrno(const std::string& verb, const std::string& path, int errorNumber) {
    return WithReason(verb, path, std::strerror(errorNumber));
}

}  // namespace horgrid
