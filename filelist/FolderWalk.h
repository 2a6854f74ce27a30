#pragma once

#include <string>
#include <vector>

namespace zent {

struct FoundFile {
    std::string Path;
    // The folder it lies in, relative to the walked folder ("a/b"; empty for the folder
    // itself). Made of names the walk read, so it never holds "." or "..".
    std::string Folder;
};

struct FolderContents {
    std::vector<FoundFile> Files; // sorted by their path bytes
    // What could not be read: messages, each a failure. A folder that cannot be listed or
    // entered, a path too long for the system, a link to nothing with an audio file's name.
    std::vector<std::string> Errors;
    // The folder or file that each of Errors names, in the same order.
    std::vector<std::string> ErrorPaths;
};

// The audio files below root, at any depth, by extension in any letter case. Links to folders
// are not followed; what cannot be read is named and its siblings read all the same. Used by
// both programs, so a folder gives the same files in the same order in each.
FolderContents WalkFolder(const std::string& root);

} // namespace zent
