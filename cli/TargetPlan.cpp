#include "cli/TargetPlan.h"

#include "convert/TargetNames.h"
#include "filelist/Paths.h"

#include <filesystem>
#include <system_error>

namespace zent::cli {

namespace {

// A dangling link counts: it is a name in the directory all the same.
bool NameTaken(const std::string& path) {
    std::error_code error;
    return std::filesystem::symlink_status(std::filesystem::path(path), error).type() !=
           std::filesystem::file_type::not_found;
}

// Names that were free when planned are claimed so that no other program's file is replaced.
ExistingTarget ClaimFor(ExistingPolicy existing) {
    switch (existing) {
    case ExistingPolicy::Rename:
        return ExistingTarget::Numbered;
    case ExistingPolicy::Skip:
        return ExistingTarget::Keep;
    case ExistingPolicy::Overwrite:
        break;
    }
    return ExistingTarget::Replace;
}

} // namespace

std::vector<FileJob> PlanTargets(const std::vector<std::string>& sources,
                                 const std::string& outputDir, ExistingPolicy existing) {
    const std::string directory = IncludeTrailingSeparator(outputDir);
    TargetNames names;
    std::vector<FileJob> jobs;
    jobs.reserve(sources.size());
    for (const std::string& source : sources) {
        FileJob job{source, names.Claim(directory, ExtractFileName(source)), false,
                    ClaimFor(existing)};
        if (existing == ExistingPolicy::Rename) {
            while (NameTaken(job.Target))
                job.Target = names.Claim(directory, ExtractFileName(source));
        } else if (existing == ExistingPolicy::Skip) {
            job.Skip = NameTaken(job.Target);
        }
        jobs.push_back(std::move(job));
    }
    return jobs;
}

} // namespace zent::cli
