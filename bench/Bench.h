#pragma once

#include <filesystem>

namespace zent::bench {

// Each section prints its own measurements to standard output.
void RunConversionBench(const std::filesystem::path& workDir);
void RunFileListBench(const std::filesystem::path& workDir);
void RunPaintBench();

} // namespace zent::bench
