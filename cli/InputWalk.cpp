#include "cli/InputWalk.h"

#include "cli/CliOptions.h"
#include "filelist/FileList.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zent::cli {

namespace {

namespace fs = std::filesystem;

bool IsDirectory(const std::string& path) {
    std::error_code error;
    return fs::is_directory(fs::path(path), error);
}

struct FoundFile {
    std::string Path;
    std::string Folder; // relative to the directory argument
};

// A directory that cannot be read is named; its siblings are read all the same. Links to
// directories are not followed.
void Collect(const fs::path& directory, const fs::path& folder, std::vector<FoundFile>& found,
             std::vector<std::string>& errors) {
    std::error_code error;
    fs::directory_iterator it(directory, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (it->symlink_status(typeError).type() == fs::file_type::directory)
            Collect(it->path(), folder / it->path().filename(), found, errors);
        else if (it->is_regular_file(typeError) && IsAcceptedPath(it->path().native()))
            found.push_back({it->path().native(), folder.native()});
    }
    if (error)
        errors.push_back("cannot read the directory \"" + directory.native() +
                         "\": " + error.message());
}

void WalkDirectory(const std::string& root, InputList& inputs) {
    std::vector<FoundFile> found;
    Collect(fs::path(root), fs::path(), found, inputs.Errors);
    // Bytes, not the locale: the same tree gives the same order everywhere.
    std::sort(found.begin(), found.end(),
              [](const FoundFile& a, const FoundFile& b) { return a.Path < b.Path; });
    for (FoundFile& file : found) {
        inputs.Files.push_back(std::move(file.Path));
        inputs.Folders.push_back(std::move(file.Folder));
    }
}

} // namespace

std::vector<std::string> ReadPathList(std::istream& in, bool nulSeparated,
                                      std::vector<std::string>* errors) {
    std::vector<std::string> paths;
    std::string path;
    for (int line = 1; std::getline(in, path, nulSeparated ? '\0' : '\n'); ++line) {
        // The system would read the name only up to the NUL: some other file.
        if (path.find('\0') != std::string::npos) {
            if (errors)
                errors->push_back("line " + std::to_string(line) +
                                  " of standard input holds a NUL byte: give -0 for a list "
                                  "of names that each end with one");
            continue;
        }
        if (!path.empty())
            paths.push_back(path);
    }
    return paths;
}

InputList CollectInputs(const std::vector<std::string>& arguments, bool recursive, std::istream& in,
                        bool nulSeparated) {
    InputList inputs;
    bool stdinRead = false;
    const auto add = [&](const std::string& path) {
        if (!IsDirectory(path)) {
            inputs.Files.push_back(path);
            inputs.Folders.emplace_back();
            return;
        }
        if (!recursive)
            throw EUsageError("\"" + path +
                              "\" is a directory: give -r to convert the files in it");
        WalkDirectory(path, inputs);
    };
    for (const std::string& argument : arguments) {
        if (argument != kStdinArgument) {
            add(argument);
            continue;
        }
        // Standard input ends after the first read; a second "-" adds nothing.
        if (stdinRead)
            continue;
        stdinRead = true;
        for (const std::string& path : ReadPathList(in, nulSeparated, &inputs.Errors))
            add(path);
    }
    return inputs;
}

} // namespace zent::cli
