#pragma once

#include <string>
#include <vector>

namespace zent {

struct ShellFile {
    std::string Path;
    // For a file found in a named folder: that folder's own name and the folders below it
    // down to the file ("Album/CD2"); empty for a file named by itself.
    std::string Folder;
};

struct ShellFiles {
    std::vector<ShellFile> Files;
    std::vector<std::string> Errors; // folders that could not be read
};

// The files of a drop or a command line in their order: a file as it is, a folder as the
// audio files below it, sorted by path (the walk zent-cli -r uses).
ShellFiles ExpandFolders(const std::vector<std::string>& paths);

} // namespace zent
