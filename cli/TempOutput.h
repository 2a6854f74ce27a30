#pragma once

#include <filesystem>

namespace zent::cli {

// A new, empty, hidden file in a directory, reserved under a name no one else holds, removed
// with the object unless it was committed onto its final name.
class TempOutput {
public:
    // Throws EStreamError "Cannot create file ..." when the directory takes no new file.
    explicit TempOutput(const std::filesystem::path& directory);
    ~TempOutput();
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    // Renames the file onto target (replacing what is there). Throws EStreamError.
    void CommitAs(const std::filesystem::path& target);

private:
    std::filesystem::path FPath;
    bool FCommitted = false;
};

// The prefix of every temporary name, for tests that look for leftovers.
inline constexpr const char* kTempOutputPrefix = ".zent-cli-";

} // namespace zent::cli
