#include "satellite/ArrayClass.h"

namespace horgrid {

std::string_view ArrayClassName(ArrayClass kind) {
    switch (kind) {
        case ArrayClass::LiveHor:
            return "live HOR";
        case ArrayClass::DivergedHor:
            return "diverged HOR";
        case ArrayClass::Monomeric:
            break;
    }
    return "monomeric";
}

}  // namespace horgrid
