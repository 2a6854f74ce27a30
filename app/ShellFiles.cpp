#include "app/ShellFiles.h"

#include "filelist/FolderWalk.h"
#include "framework/PathText.h"

#include <filesystem>
#include <system_error>

namespace zent {

ShellFiles ExpandFolders(const std::vector<std::string>& paths) {
    ShellFiles result;
    for (const std::string& path : paths) {
        std::error_code error;
        if (!std::filesystem::is_directory(ToFileSystemPath(path), error)) {
            result.Files.push_back({path, {}});
            continue;
        }
        std::filesystem::path folder = ToFileSystemPath(path).lexically_normal();
        if (!folder.has_filename())
            folder = folder.parent_path(); // "Album/" names Album
        const std::string own = folder.filename().string();
        FolderContents contents = WalkFolder(path);
        for (FoundFile& found : contents.Files) {
            std::string below = own;
            if (!found.Folder.empty())
                below = below.empty() ? found.Folder : below + "/" + found.Folder;
            result.Files.push_back({std::move(found.Path), std::move(below)});
        }
        for (std::string& message : contents.Errors)
            result.Errors.push_back(std::move(message));
    }
    return result;
}

} // namespace zent
