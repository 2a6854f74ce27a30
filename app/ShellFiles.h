#pragma once

#include <string>
#include <vector>

namespace zent {

// The paths that are not directories; for each directory a line for standard error is added
// to report. Folders are not opened: only files go into the list.
std::vector<std::string> WithoutFolders(const std::vector<std::string>& paths, std::string& report);

} // namespace zent
