#include "app/ShellFiles.h"

#include <filesystem>
#include <system_error>

namespace zent {

std::vector<std::string> WithoutFolders(const std::vector<std::string>& paths,
                                        std::string& report) {
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        std::error_code error;
        if (std::filesystem::is_directory(std::filesystem::path(path), error))
            report += "zent: " + path + " is a folder; only files are added\n";
        else
            files.push_back(path);
    }
    return files;
}

} // namespace zent
