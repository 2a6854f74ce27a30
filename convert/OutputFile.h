#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace zent {

inline constexpr const char* kStreamWriteError = "Stream write error";

// Cannot create file "PATH". SYSTEM ERROR TEXT
std::string CannotCreateFileMessage(const std::filesystem::path& path, int errorNumber);

// A file created, or emptied when it exists, for writing. Every write and the close are
// checked; the file is closed with the object on any path.
class OutputFile {
public:
    // Throws EStreamError with CannotCreateFileMessage.
    explicit OutputFile(const std::filesystem::path& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // All bytes or EStreamError "Stream write error".
    void Write(std::span<const std::byte> data);
    void WriteAt(std::uint64_t offset, std::span<const std::byte> data);
    void Truncate(std::uint64_t size);
    // Releases the file; a failure to do so is a write error.
    void Close();

    bool IsOpen() const { return FHandle >= 0; }

private:
    int FHandle = -1;
};

} // namespace zent
