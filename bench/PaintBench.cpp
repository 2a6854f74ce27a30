#include "bench/Bench.h"
#include <cstdio>
namespace zent::bench {
void RunPaintBench() { std::puts("paint: not measured yet"); }
} // namespace zent::bench
