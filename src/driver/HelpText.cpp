#include "driver/HelpText.h"

#include <iostream>

namespace horgrid {

void HelpText() {
    std::cout << "Program runs with arguments: \n "
              << "   -d file01_name file02_name (finding distance between two fasta sequences) \n "
              << "   -m file_name_with_TR_ensemble  (finding dot matrix for alpha ensemble) \n "
              << "   -b file_name_with_TR_ensemble  (finding CENP-B boxes in alpha ensemble) \n "
              << "   -s file_name_with_TR_ensemble  (finding suprachomosomal families for alpha ensemble) \n "
              << "   -h file_name_with_TR_ensemble  (finding HOR structures for alpha ensemble) \n\n "
              << "Possible file_name_with_TR_ensemble formats:"
              << "   TR_name (string)  TR_length (int)  TR_unit_sequence (string)\n"
              << "   TR_name (string)  TR_direction (string) TR_position (int)  TR_length (int) "
                 "TR_unit_sequence (string)\n"
              << "   TR_name (string)  TR_direction (string) TR_position (int)  TR_consensus_difference "
                 "(string) TR_length (int) TR_unit_sequence (string)\n";
}

}  // namespace horgrid
