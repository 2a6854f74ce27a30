#pragma once

#include <string>
#include <string_view>

namespace zent {

// Path texts by the host platform's rules: on POSIX only '/' separates; on Windows '\\', '/'
// and ':' do.
bool IsPathSeparator(char c);

// The separator the program itself puts between directory and name.
#ifdef _WIN32
inline constexpr char kNativeSeparator = '\\';
#else
inline constexpr char kNativeSeparator = '/';
#endif

// The characters after the last '.' of the whole path; the whole path when it has no dot.
std::string GetExtension(std::string_view path);

// The part after the last separator; the whole path when it has none.
std::string ExtractFileName(std::string_view path);

// Replaces the text from the last '.' after the last separator by newExtension (which starts
// with '.'); appends it when the name has no dot.
std::string ChangeFileExt(std::string_view path, std::string_view newExtension);

// Appends the native separator unless the text is empty or already ends with a separator.
std::string IncludeTrailingSeparator(std::string directory);

} // namespace zent
