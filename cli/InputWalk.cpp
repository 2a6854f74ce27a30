#include "cli/InputWalk.h"

#include "cli/CliOptions.h"
#include "filelist/FolderWalk.h"

#include <filesystem>
#include <system_error>

namespace zent::cli {

namespace {

namespace fs = std::filesystem;

bool IsDirectory(const std::string& path) {
    std::error_code error;
    return fs::is_directory(fs::path(path), error);
}

void WalkDirectory(const std::string& root, InputList& inputs) {
    FolderContents contents = WalkFolder(root);
    for (FoundFile& file : contents.Files) {
        inputs.Files.push_back(std::move(file.Path));
        inputs.Folders.push_back(std::move(file.Folder));
    }
    for (std::string& error : contents.Errors)
        inputs.Errors.push_back(std::move(error));
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
