#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace zent {

class FileIo;

// Cannot create file "PATH". SYSTEM ERROR TEXT
std::string CannotCreateFileMessage(const std::filesystem::path& path, int errorNumber);
// Stream write error: "PATH". SYSTEM ERROR TEXT
std::string StreamWriteErrorMessage(const std::filesystem::path& path, int errorNumber);

// An output file that appears under its name only when it is finished. It is written as a
// new hidden file beside the target (".<name>.<random>.part"), never through an existing
// name or a link, and Commit renames it onto the target, replacing whatever is there (a link
// itself, not what it points at). Until then the target is untouched; an object destroyed
// without Commit removes its file. Errors name the target, never the hidden file.
class OutputFile {
public:
    // Throws EStreamError with CannotCreateFileMessage(target): also when target is a
    // directory or another thing that is not a file.
    explicit OutputFile(const std::filesystem::path& target);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // All bytes or EStreamError with StreamWriteErrorMessage. Write appends at the file
    // position; WriteAt leaves it alone and may be called from several threads at once for
    // distinct ranges.
    void Write(std::span<const std::byte> data);
    void WriteAt(std::uint64_t offset, std::span<const std::byte> data);
    void Truncate(std::uint64_t size);
    // Closes the file and renames it onto the target. Throws EStreamError
    // (a rename failure with CannotCreateFileMessage); the hidden file is removed then.
    void Commit();

    const std::filesystem::path& Target() const { return FTarget; }
    const std::filesystem::path& TemporaryPath() const { return FTemporary; }

private:
    [[noreturn]] void ThrowWriteError(int errorNumber) const;

    std::filesystem::path FTarget;
    std::filesystem::path FTemporary;
    FileIo& FIo;
    int FHandle = -1;
    bool FCommitted = false;
};

} // namespace zent
