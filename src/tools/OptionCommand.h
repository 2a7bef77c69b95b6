#pragma once

#include <iostream>
#include <string>

#include "common/FileError.h"

namespace horgrid {

// A bad option value or an input a command cannot take: reported like an
// unreadable file, "horgrid-tools: MESSAGE" and exit status 2.
struct ValueError {
    std::string message;
};

// The shell of every subcommand that parses its own options: parse(argc,
// argv, options, help) returns false on a usage error (usage on standard
// error, exit 1); --help prints the usage on standard output (exit 0);
// otherwise run(options) does the work. ValueError and FileError end the run
// with their message and exit status 2.
template <class Options, class Parse, class Usage, class Run>
int RunOptionCommand(int argc, char** argv, Parse parse, Usage usage, Run run) {
    constexpr int kUsageStatus = 1;
    constexpr int kInputStatus = 2;
    Options options;
    bool help = false;
    try {
        if (!parse(argc, argv, options, help)) {
            usage(std::cerr);
            return kUsageStatus;
        }
        if (help) {
            usage(std::cout);
            return 0;
        }
        run(options);
    } catch (const ValueError& error) {
        std::cout.flush();
        std::cerr << "horgrid-tools: " << error.message << "\n";
        return kInputStatus;
    } catch (const FileError& error) {
        std::cout.flush();
        std::cerr << "horgrid-tools: " << error.what() << "\n";
        return kInputStatus;
    }
    return 0;
}

}  // namespace horgrid
