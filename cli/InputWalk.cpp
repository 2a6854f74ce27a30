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
    for (std::size_t i = 0; i < contents.Errors.size(); ++i)
        inputs.Errors.push_back({std::move(contents.ErrorPaths[i]), std::move(contents.Errors[i])});
}

} // namespace

std::vector<std::string> ReadPathList(std::istream& in, bool nulSeparated,
                                      std::vector<InputProblem>* errors) {
    std::vector<std::string> paths;
    std::string path;
    for (int line = 1; std::getline(in, path, nulSeparated ? '\0' : '\n'); ++line) {
        // The system would read the name only up to the NUL: some other file.
        if (path.find('\0') != std::string::npos) {
            if (errors)
                errors->push_back({path.substr(0, path.find('\0')),
                                   "line " + std::to_string(line) +
                                       " of standard input holds a NUL byte: give -0 for a list "
                                       "of names that each end with one"});
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

namespace zent::cli {

namespace {

fs::path AbsoluteNormal(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(path), error);
    if (error)
        absolute = fs::path(path);
    return absolute.lexically_normal();
}

} // namespace

void KeepFoldersBelow(InputList& inputs, const std::string& base) {
    const fs::path root = AbsoluteNormal(base);
    InputList kept;
    kept.Errors = std::move(inputs.Errors);
    for (std::string& file : inputs.Files) {
        const fs::path relative = AbsoluteNormal(file).lexically_relative(root);
        const std::string& parts = relative.native();
        if (relative.empty() || parts == "." || parts == ".." || parts.starts_with("../")) {
            kept.Errors.push_back({file, "\"" + file + "\" is not below \"" + base +
                                             "\", the folder of --relative-to"});
            continue;
        }
        kept.Folders.push_back(relative.parent_path().native());
        kept.Files.push_back(std::move(file));
    }
    inputs = std::move(kept);
}

std::vector<std::size_t> TakeShard(InputList& inputs, Shard shard) {
    std::vector<std::size_t> order(inputs.Files.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return inputs.Files[a] < inputs.Files[b];
    });
    InputList sorted;
    for (const std::size_t i : order) {
        sorted.Files.push_back(std::move(inputs.Files[i]));
        sorted.Folders.push_back(i < inputs.Folders.size() ? std::move(inputs.Folders[i])
                                                           : std::string());
    }
    std::vector<InputProblem> problems = std::move(inputs.Errors);
    std::stable_sort(
        problems.begin(), problems.end(),
        [](const InputProblem& a, const InputProblem& b) { return a.Source < b.Source; });
    // Files and problems in one byte order: the index of each among them all.
    std::vector<std::size_t> taken;
    std::size_t file = 0;
    std::size_t problem = 0;
    for (std::size_t index = 0; file < sorted.Files.size() || problem < problems.size(); ++index) {
        const bool isFile =
            problem == problems.size() ||
            (file < sorted.Files.size() && sorted.Files[file] <= problems[problem].Source);
        const bool ours = index % shard.Count == shard.Index;
        if (isFile) {
            if (ours)
                taken.push_back(file);
            ++file;
        } else {
            if (ours)
                sorted.Errors.push_back(std::move(problems[problem]));
            ++problem;
        }
    }
    inputs = std::move(sorted);
    return taken;
}

} // namespace zent::cli
