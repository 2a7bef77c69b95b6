#include "infer/ReverseComplement.h"

namespace horgrid {

std::string ReverseComplement(std::string_view sequence) {
    std::string result(sequence.rbegin(), sequence.rend());
    for (char& base : result) {
        switch (base) {
            case 'A': base = 'T'; break;
            case 'T': base = 'A'; break;
            case 'C': base = 'G'; break;
            case 'G': base = 'C'; break;
            case 'a': base = 't'; break;
            case 't': base = 'a'; break;
            case 'c': base = 'g'; break;
            case 'g': base = 'c'; break;
            default: break;
        }
    }
    return result;
}

}  // namespace horgrid
