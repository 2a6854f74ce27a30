#include "filelist/FolderWalk.h"

#include "filelist/FileList.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zent {

namespace {

namespace fs = std::filesystem;

void Collect(const fs::path& directory, const fs::path& folder, FolderContents& contents) {
    std::error_code error;
    fs::directory_iterator it(directory, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (it->symlink_status(typeError).type() == fs::file_type::directory)
            Collect(it->path(), folder / it->path().filename(), contents);
        else if (it->is_regular_file(typeError) && IsAcceptedPath(it->path().native()))
            contents.Files.push_back({it->path().native(), folder.native()});
    }
    if (error)
        contents.Errors.push_back("cannot read the directory \"" + directory.native() +
                                  "\": " + error.message());
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
