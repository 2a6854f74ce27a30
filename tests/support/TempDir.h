#pragma once

#include <filesystem>
#include <string_view>

namespace zent::test {

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::filesystem::path File(std::string_view name) const { return FPath / name; }

private:
    std::filesystem::path FPath;
};

} // namespace zent::test
