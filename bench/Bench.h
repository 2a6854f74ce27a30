#pragma once

#include <filesystem>

namespace zent::bench {

// Each section prints its own measurements to standard output.
void RunConversionBench(const std::filesystem::path& workDir);
void RunFileListBench(const std::filesystem::path& workDir);
void RunPaintBench();
// The window's batch on the engine beside zent-cli, and listing many dropped files.
void RunWindowBench(const std::filesystem::path& workDir);

} // namespace zent::bench
