#include "cli/TargetPlan.h"

#include "convert/TargetNames.h"
#include "filelist/Paths.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace zent::cli {

namespace {

// A dangling link counts: it is a name in the directory all the same. A name that cannot be
// looked at (a folder without search permission) is not taken: writing it fails with the
// reason, where counting it taken would never find a free one.
bool NameTaken(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(
        std::filesystem::symlink_status(std::filesystem::path(path), error));
}

// The folder with a trailing separator, or empty. Parts that could climb out of the output
// directory or start at the root are dropped: nothing is written outside it.
std::string FolderBelow(std::string_view folder) {
    std::string below;
    while (!folder.empty()) {
        const std::size_t end = std::min(folder.find('/'), folder.size());
        const std::string_view part = folder.substr(0, end);
        if (!part.empty() && part != "." && part != "..") {
            below += part;
            below += '/';
        }
        folder.remove_prefix(std::min(end + 1, folder.size()));
    }
    return below;
}

} // namespace

std::vector<FileJob> PlanTargets(const std::vector<std::string>& sources,
                                 const std::vector<std::string>& folders,
                                 const std::string& outputDir, ExistingTarget existing) {
    const std::string outputDirectory = IncludeTrailingSeparator(outputDir);
    TargetNames names;
    std::vector<FileJob> jobs;
    jobs.reserve(sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const std::string& source = sources[i];
        const std::string directory =
            outputDirectory + (i < folders.size() ? FolderBelow(folders[i]) : std::string());
        // A name free when planned is claimed so that no other program's file is replaced.
        FileJob job{source, names.Claim(directory, ExtractFileName(source)), false, existing};
        if (existing == ExistingTarget::Numbered) {
            while (NameTaken(job.Target))
                job.Target = names.Claim(directory, ExtractFileName(source));
        } else if (existing == ExistingTarget::Keep) {
            job.Skip = NameTaken(job.Target);
        }
        jobs.push_back(std::move(job));
    }
    return jobs;
}

} // namespace zent::cli
