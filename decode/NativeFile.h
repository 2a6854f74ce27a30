#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

namespace zent {

class FileIo;

// A source file opened for reading by its native path, so that names in any script open
// without a detour through a narrow code page. Buffered: the decoders read in small pieces.
// Reads go through the FileIo current when the file was opened.
class NativeFile {
public:
    // Null when the path is not a regular file or cannot be opened.
    static std::unique_ptr<NativeFile> Open(const std::filesystem::path& path);

    ~NativeFile();
    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;

    // Bytes read; fewer than asked only at the end of the file or on an error.
    std::size_t Read(void* buffer, std::size_t size);
    bool Seek(std::int64_t offset, int whence);
    std::int64_t Tell();
    // A read failed; stays set, as with a C stream.
    bool HasError() const { return FError; }

    // True when the file begins with these bytes; the position is back at the start after it.
    bool StartsWith(std::string_view magic);

    // From now on the file ends at this offset for reads and seeks; the position goes to the
    // start.
    bool EndAt(std::int64_t end);
    // From now on the file is its bytes [begin, end) for reads and seeks, offsets counting
    // from begin; the position goes to the start.
    bool Window(std::int64_t begin, std::int64_t end);

private:
    NativeFile(int handle, FileIo& io);
    // Bytes from the system into target; 0 at the end or on an error.
    std::size_t ReadFromSystem(std::byte* target, std::size_t size);

    int FHandle;
    FileIo& FIo;
    std::vector<std::byte> FBuffer;
    std::size_t FBegin = 0; // unread buffered bytes are [FBegin, FEnd)
    std::size_t FEnd = 0;
    std::int64_t FSystemOffset = 0; // where the system's file position is: after FEnd
    bool FError = false;
    std::int64_t FEndAt = -1; // -1: the system's end of the file
    std::int64_t FBeginAt = 0;
};

} // namespace zent
