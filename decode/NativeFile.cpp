#include "decode/NativeFile.h"

#include <cstring>
#include <system_error>
#include <vector>

namespace zent {

namespace {

constexpr std::size_t kReadBufferBytes = 64 * 1024;

} // namespace

std::unique_ptr<NativeFile> NativeFile::Open(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return nullptr;
    }
#ifdef _WIN32
    std::FILE* handle = _wfopen(path.c_str(), L"rb");
#else
    std::FILE* handle = std::fopen(path.c_str(), "rb");
#endif
    if (handle == nullptr) {
        return nullptr;
    }
    std::setvbuf(handle, nullptr, _IOFBF, kReadBufferBytes);
    return std::unique_ptr<NativeFile>(new NativeFile(handle));
}

NativeFile::NativeFile(std::FILE* handle) : FHandle(handle) {}

NativeFile::~NativeFile() {
    std::fclose(FHandle);
}

std::size_t NativeFile::Read(void* buffer, std::size_t size) {
    return std::fread(buffer, 1, size, FHandle);
}

bool NativeFile::Seek(std::int64_t offset, int whence) {
#ifdef _WIN32
    return _fseeki64(FHandle, offset, whence) == 0;
#else
    return fseeko(FHandle, static_cast<off_t>(offset), whence) == 0;
#endif
}

std::int64_t NativeFile::Tell() {
#ifdef _WIN32
    return _ftelli64(FHandle);
#else
    return ftello(FHandle);
#endif
}

bool NativeFile::HasError() const {
    return std::ferror(FHandle) != 0;
}

bool NativeFile::StartsWith(std::string_view magic) {
    std::vector<char> head(magic.size());
    const std::size_t got = Read(head.data(), head.size());
    const bool matches = got == magic.size() && std::memcmp(head.data(), magic.data(), got) == 0;
    return Seek(0, SEEK_SET) && matches;
}

} // namespace zent
