#pragma once

#include <string>

#include "infer/Inference.h"
#include "tools/CommandLine.h"

namespace horgrid {

// horgrid-tools infer [options] SEQUENCES [TEMPLATES].
struct InferOptions {
    InferSettings settings;
    std::string prefix;
    std::string sequences;
    std::string templates;  // empty: the built-in family references

    void Declare(CommandLine& line);
    void Execute() const;
};

}  // namespace horgrid
