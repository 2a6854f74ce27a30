#pragma once

#include <istream>
#include <string>
#include <vector>

namespace zent::cli {

struct InputList {
    // Source files, in the order they are converted.
    std::vector<std::string> Files;
    // One per file: the folder it was found in, relative to its directory argument ("a/b";
    // empty for a file named directly or lying in the directory itself). Made of names the
    // walk read, so it never holds "." or ".." and never starts at the root.
    std::vector<std::string> Folders;
    // Directories that could not be read and lines that were no path: messages, each a
    // failure.
    std::vector<std::string> Errors;
};

// Paths from standard input: one per line (a trailing carriage return is kept: it may be part
// of a name), or each ended by a NUL byte. Empty entries are dropped; so is a line that holds
// a NUL byte, named in errors.
std::vector<std::string> ReadPathList(std::istream& in, bool nulSeparated,
                                      std::vector<std::string>* errors = nullptr);

// Expands the arguments in order: "-" into the paths read from in, a directory into the .mp3
// and .ogg files below it (any letter case, sorted by their bytes) when recursive is set.
// Each file found below a directory knows its folder there (InputList::Folders).
// Throws EUsageError for a directory without recursive.
InputList CollectInputs(const std::vector<std::string>& arguments, bool recursive, std::istream& in,
                        bool nulSeparated);

} // namespace zent::cli
