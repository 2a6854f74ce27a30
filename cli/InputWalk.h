#pragma once

#include "cli/CliOptions.h"

#include <istream>
#include <string>
#include <vector>

namespace zent::cli {

// An input that cannot be converted before any conversion starts.
struct InputProblem {
    std::string Source; // the folder, file or list line it is about
    std::string Message;
};

struct InputList {
    // Source files, in the order they are converted.
    std::vector<std::string> Files;
    // One per file: the folder it was found in, relative to its directory argument ("a/b";
    // empty for a file named directly or lying in the directory itself). Made of names the
    // walk read, so it never holds "." or ".." and never starts at the root.
    std::vector<std::string> Folders;
    // Folders and files that could not be read and lines that were no path, each a failure.
    std::vector<InputProblem> Errors;
};

// Paths from standard input: one per line (a trailing carriage return is kept: it may be part
// of a name), or each ended by a NUL byte. Empty entries are dropped; so is a line that holds
// a NUL byte, named in errors.
std::vector<std::string> ReadPathList(std::istream& in, bool nulSeparated,
                                      std::vector<InputProblem>* errors = nullptr);

// Expands the arguments in order: "-" into the paths read from in, a directory into the audio
// files below it (any letter case, sorted by their bytes) when recursive is set.
// Each file found below a directory knows its folder there (InputList::Folders).
// Throws EUsageError for a directory without recursive.
InputList CollectInputs(const std::vector<std::string>& arguments, bool recursive, std::istream& in,
                        bool nulSeparated);

} // namespace zent::cli

namespace zent::cli {

// Gives every input the folder it lies in below base (lexically, after making both absolute):
// "a/b" for base/a/b/x.mp3. An input outside base is taken out and becomes a problem.
void KeepFoldersBelow(InputList& inputs, const std::string& base);

// Sorts the files and the problems by their path bytes. Of them all, in that order, the shard
// takes those whose index i has i mod shard.Count == shard.Index: keeps only its problems and
// returns the indices of its files (every file stays, so that names are planned as one run
// over them all would plan them).
std::vector<std::size_t> TakeShard(InputList& inputs, Shard shard);

} // namespace zent::cli
