#include "tools/Messages.h"

#include <iostream>

namespace horgrid {

std::string ToolName(std::string_view command) {
    return command.empty() ? std::string("horgrid-tools") : "horgrid-tools " + std::string(command);
}

void PrintMessage(std::string_view command, std::string_view text) {
    std::cout.flush();
    std::cerr << ToolName(command) << ": " << text << '\n';
}

void PrintProgress(std::string_view command, const Progress& progress) {
    if (progress.record != 0) {
        PrintMessage(command, "record " + std::to_string(progress.record) + ", " +
                                  std::to_string(progress.recordDone) + " of " +
                                  std::to_string(progress.recordLength) + " bases done");
    } else {
        PrintMessage(command, std::to_string(progress.records) + " records, " + std::to_string(progress.bases) +
                                  " bases done");
    }
}

}  // namespace horgrid
