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

void WalkDirectory(const std::string& root, InputList& inputs) {
    std::vector<std::string> found;
    std::error_code error;
    fs::recursive_directory_iterator it(fs::path(root), error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && IsAcceptedPath(it->path().native()))
            found.push_back(it->path().native());
    }
    if (error)
        inputs.Errors.push_back("cannot read the directory \"" + root + "\": " + error.message());
    // Bytes, not the locale: the same tree gives the same order everywhere.
    std::sort(found.begin(), found.end());
    inputs.Files.insert(inputs.Files.end(), found.begin(), found.end());
}

} // namespace

std::vector<std::string> ReadPathList(std::istream& in, bool nulSeparated) {
    std::vector<std::string> paths;
    std::string path;
    while (std::getline(in, path, nulSeparated ? '\0' : '\n')) {
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
        for (const std::string& path : ReadPathList(in, nulSeparated))
            add(path);
    }
    return inputs;
}

} // namespace zent::cli
