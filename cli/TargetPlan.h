#pragma once

#include "cli/CliOptions.h"
#include "convert/OutputFile.h"

#include <string>
#include <vector>

namespace zent::cli {

// One source and the WAV file it becomes.
struct FileJob {
    std::string Source;
    std::string Target;
    // The target was there before the run and --existing skip leaves it alone.
    bool Skip = false;
    // What writing does when another program took the name meanwhile.
    ExistingTarget Existing = ExistingTarget::Replace;
};

// Names are claimed in the order of the sources, by the window's same-name rule, before any
// file is converted: the result does not depend on which job finishes first. Whether a target
// exists is asked here, once, so files this run writes never count as existing. folders is
// empty (every file straight into outputDir) or holds one folder per source, relative to
// outputDir; names are numbered within each folder.
std::vector<FileJob> PlanTargets(const std::vector<std::string>& sources,
                                 const std::vector<std::string>& folders,
                                 const std::string& outputDir, ExistingPolicy existing);

} // namespace zent::cli
