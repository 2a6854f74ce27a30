#pragma once

#include "framework/Errors.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace zent {

class FileIo;

// Cannot create file "PATH". SYSTEM ERROR TEXT
CoreText CannotCreateFileText(const std::filesystem::path& path, int errorNumber);
std::string CannotCreateFileMessage(const std::filesystem::path& path, int errorNumber);
// Stream write error: "PATH". SYSTEM ERROR TEXT
CoreText StreamWriteErrorText(const std::filesystem::path& path, int errorNumber);
std::string StreamWriteErrorMessage(const std::filesystem::path& path, int errorNumber);
// Cannot create file "PATH". It is the source file.
std::string TargetIsSourceMessage(const std::filesystem::path& path);

// Throws EStreamError with TargetIsSourceMessage when the file at target is the source itself
// (the same file on the same device, reached through any link to the source).
void RefuseSourceAsTarget(const std::filesystem::path& source, const std::filesystem::path& target);

// What Commit does when a file already has the target's name.
enum class ExistingTarget {
    Replace,  // the old file gives way (a link itself, not what it points at)
    Numbered, // the next free "<stem> (N).wav" is taken instead
    Keep,     // the old file stays; Commit throws ETargetTaken
};

// The target's name was taken, by another program perhaps, while the file was written.
class ETargetTaken : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// True for the names of the hidden files below: ".<name>.<16 hex digits>.part".
bool IsTemporaryName(std::string_view name);

// Removes the hidden files of IsTemporaryName in directory whose lock nobody holds: what a
// killed run left. Files of running conversions, in this process or another, are locked and
// stay. Errors are ignored: what cannot be removed stays, as it was.
void RemoveStaleTemporaries(const std::filesystem::path& directory);

// An output file that appears under its name only when it is finished. Where the file system
// allows it the file has no name at all until Commit links it in; elsewhere it is a new hidden
// file beside the target (".<name>.<random>.part"), never opened through an existing name or
// a link, and locked (flock) while it has that name. The first OutputFile of a process in a
// directory removes the stale hidden files there (RemoveStaleTemporaries). Until Commit the
// target is untouched; an object destroyed without Commit leaves nothing behind. Errors name
// the target, never the hidden file.
class OutputFile {
public:
    // Throws EStreamError with CannotCreateFileMessage(target): also when target is a
    // directory or another thing that is not a file, when its name is too long for the
    // directory, and (for Replace) when it is a file the user may not write.
    explicit OutputFile(const std::filesystem::path& target,
                        ExistingTarget existing = ExistingTarget::Replace);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // All bytes or EStreamError with StreamWriteErrorMessage. Write appends at the file
    // position; WriteAt leaves it alone and may be called from several threads at once for
    // distinct ranges.
    void Write(std::span<const std::byte> data);
    void WriteAt(std::uint64_t offset, std::span<const std::byte> data);
    void Truncate(std::uint64_t size);
    // Reads back what was written: target.size() bytes from offset, fewer only at the end.
    // Throws EStreamError.
    std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> target) const;
    // Closes the file and gives it the target's name, claimed atomically. Throws EStreamError
    // (a failure to take the name with CannotCreateFileMessage) or ETargetTaken; nothing of
    // the file stays behind then.
    void Commit();

    // The name the file has or will have; for Numbered, the one Commit took.
    const std::filesystem::path& Target() const { return FTarget; }

private:
    [[noreturn]] void ThrowWriteError(int errorNumber) const;
    void OpenNamed();
    void CommitUnnamed();
    void CommitNamed();
    // True once the file has the name; false when the name is taken.
    bool TakeName(const std::filesystem::path& from, bool unnamed);
    void NextTarget();

    std::filesystem::path FTarget;
    std::filesystem::path FTemporary; // empty while the file has no name
    ExistingTarget FExisting;
    FileIo& FIo;
    int FHandle = -1;
    int FLockHandle = -1; // holds the hidden file's lock from closing to naming
    int FNumber = 1;
    bool FCommitted = false;
};

} // namespace zent
