#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zent::test {

struct CliOutcome {
    int ExitStatus = -1;
    std::string Out;
    std::string Err;
};

// Runs zent-cli with the arguments in directory, standard input given as bytes.
CliOutcome RunCliProcess(const std::vector<std::string>& args,
                         const std::filesystem::path& directory, const std::string& input = {});

} // namespace zent::test
