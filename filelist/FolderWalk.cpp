#include "filelist/FolderWalk.h"

#include "filelist/FileList.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace zent {

namespace {

namespace fs = std::filesystem;

void AddError(FolderContents& contents, const fs::path& path, const std::string& message) {
    contents.Errors.push_back(message);
    contents.ErrorPaths.push_back(path.native());
}

void DirectoryError(FolderContents& contents, const fs::path& directory, const char* what,
                    const std::string& reason) {
    AddError(contents, directory,
             std::string("cannot ") + what + " the directory \"" + directory.native() +
                 "\": " + reason);
}

void Collect(const fs::path& directory, const fs::path& folder, FolderContents& contents) {
    // Beyond the limit no file below could be opened by its path.
    if (directory.native().size() >= PATH_MAX) {
        DirectoryError(contents, directory, "read", std::strerror(ENAMETOOLONG));
        return;
    }
    // A folder that may be listed but not entered shows its names, but none of its files
    // could be opened.
    if (::faccessat(AT_FDCWD, directory.c_str(), X_OK, AT_EACCESS) != 0) {
        DirectoryError(contents, directory, "enter", std::strerror(errno));
        return;
    }
    std::error_code error;
    fs::directory_iterator it(directory, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const fs::path& path = it->path();
        std::error_code typeError;
        const fs::file_type type = it->symlink_status(typeError).type();
        if (type == fs::file_type::directory) {
            Collect(path, folder / path.filename(), contents);
            continue;
        }
        // A name too long to look at may be a folder full of audio files.
        if (typeError &&
            (IsAcceptedPath(path.native()) || typeError == std::errc::filename_too_long)) {
            AddError(contents, path,
                     "cannot read \"" + path.native() + "\": " + typeError.message());
            continue;
        }
        if (typeError || !IsAcceptedPath(path.native()))
            continue;
        if (it->is_regular_file(typeError)) {
            if (path.native().size() >= PATH_MAX)
                AddError(contents, path,
                         "cannot read \"" + path.native() + "\": " + std::strerror(ENAMETOOLONG));
            else
                contents.Files.push_back({path.native(), folder.native()});
        } else if (type == fs::file_type::symlink && !fs::exists(it->status(typeError))) {
            AddError(contents, path, "the link \"" + path.native() + "\" points to nothing");
        }
    }
    if (error)
        DirectoryError(contents, directory, "read", error.message());
}

} // namespace

FolderContents WalkFolder(const std::string& root) {
    FolderContents contents;
    Collect(fs::path(root), fs::path(), contents);
    // Bytes, not the locale: the same tree gives the same order everywhere.
    std::sort(contents.Files.begin(), contents.Files.end(),
              [](const FoundFile& a, const FoundFile& b) { return a.Path < b.Path; });
    return contents;
}

} // namespace zent
