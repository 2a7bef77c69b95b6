#include "common/FileError.h"

#include <cstring>

namespace horgrid {

FileError FileError::FromErrno(const std::string& verb, const std::string& path, int errorNumber) {
    return FileError(verb + " '" + path + "': " + std::strerror(errorNumber));
}

}  // namespace horgrid
