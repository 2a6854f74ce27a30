#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>

namespace zent {

// A source file opened for reading by its native path, so that names in any script open
// without a detour through a narrow code page. Buffered: the decoders read in small pieces.
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
    bool HasError() const;

    // True when the file begins with these bytes; the position is back at the start after it.
    bool StartsWith(std::string_view magic);

private:
    explicit NativeFile(std::FILE* handle);

    std::FILE* FHandle;
};

} // namespace zent
