#include "bench/Bench.h"
#include <cstdio>
namespace zent::bench {
void RunConversionBench(const std::filesystem::path&) { std::puts("conversion: not measured yet"); }
} // namespace zent::bench
