#pragma once

#include <string>
#include <string_view>

#include "seqio/RecordSource.h"

namespace horgrid {

// "horgrid-tools COMMAND", or "horgrid-tools" for no command: the name every
// message of a command begins with.
std::string ToolName(std::string_view command);

// Writes "horgrid-tools COMMAND: TEXT" and a line feed on standard error,
// standard output flushed first so the two keep their order on one terminal.
// Every message of horgrid-tools goes through here.
void PrintMessage(std::string_view command, std::string_view text);

// A pipeline's progress as a message: "N records, B bases done", or within a
// record "record N, D of L bases done".
void PrintProgress(std::string_view command, const Progress& progress);

}  // namespace horgrid
