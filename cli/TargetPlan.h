#pragma once

#include "cli/CliOptions.h"
#include "convert/ConversionEngine.h"

#include <string>
#include <vector>

namespace zent::cli {

// One source and the WAV file it becomes: the engine's own record.
using FileJob = EngineFile;

// Names are claimed in the order of the sources, by the window's same-name rule, before any
// file is converted: the result does not depend on which job finishes first. Whether a target
// exists is asked here, once, so files this run writes never count as existing. folders is
// empty (every file straight into outputDir) or holds one folder per source, relative to
// outputDir; names are numbered within each folder.
std::vector<FileJob> PlanTargets(const std::vector<std::string>& sources,
                                 const std::vector<std::string>& folders,
                                 const std::string& outputDir, ExistingTarget existing);

} // namespace zent::cli
