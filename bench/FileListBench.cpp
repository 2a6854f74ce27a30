#include "bench/Bench.h"
#include <cstdio>
namespace zent::bench {
void RunFileListBench(const std::filesystem::path&) { std::puts("file list: not measured yet"); }
} // namespace zent::bench
