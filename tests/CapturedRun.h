#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "TestSupport.h"

namespace horgrid::test {

// Writes `content` to a fresh "mon.txt", runs the analysis whose constructor
// takes that path with standard output captured, and returns the contents of
// the path + `suffix` result file and the captured output.
template <class Analysis>
std::pair<std::string, std::string> RunOnMonomers(const std::string& content, const std::string& suffix) {
    TempDir dir;
    const std::string path = dir.Write("mon.txt", content);
    testing::internal::CaptureStdout();
    Analysis{path};
    const std::string out = testing::internal::GetCapturedStdout();
    return {ReadFile(path + suffix), out};
}

}  // namespace horgrid::test
