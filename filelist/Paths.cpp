#include "filelist/Paths.h"

namespace zent {

namespace {

constexpr char kExtensionDot = '.';

// Index of the last separator, or npos.
std::size_t LastSeparator(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1]))
            return i - 1;
    }
    return std::string_view::npos;
}

} // namespace

bool IsPathSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/' || c == ':';
#else
    return c == '/';
#endif
}

std::string GetExtension(std::string_view path) {
    const std::size_t dot = path.rfind(kExtensionDot);
    if (dot == std::string_view::npos)
        return std::string(path);
    return std::string(path.substr(dot + 1));
}

std::string ExtractFileName(std::string_view path) {
    const std::size_t separator = LastSeparator(path);
    if (separator == std::string_view::npos)
        return std::string(path);
    return std::string(path.substr(separator + 1));
}

std::string ChangeFileExt(std::string_view path, std::string_view newExtension) {
    const std::size_t separator = LastSeparator(path);
    const std::size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
    const std::size_t dot = path.rfind(kExtensionDot);
    std::string result(path);
    if (dot != std::string_view::npos && dot >= nameStart)
        result.resize(dot);
    result += newExtension;
    return result;
}

std::string IncludeTrailingSeparator(std::string directory) {
    if (!directory.empty() && !IsPathSeparator(directory.back()))
        directory += kNativeSeparator;
    return directory;
}

} // namespace zent
