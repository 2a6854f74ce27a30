#pragma once

#include <string>
#include <string_view>

namespace zent {

// The processors a cgroup v2 quota ("cpu.max": "QUOTA PERIOD" in microseconds, or "max
// PERIOD") allows, rounded up; 0 when it sets no limit or cannot be read.
unsigned QuotaProcessors(std::string_view cpuMax);

// The processors a process may keep busy: affinity, the CPUs it may run on, lowered by the
// tightest cpu.max quota on the way from its cgroup (membership: the text of
// /proc/self/cgroup) up to cgroupRoot; at least 1.
unsigned UsableProcessors(unsigned affinity, const std::string& cgroupRoot,
                          std::string_view membership);

// UsableProcessors for this process: its affinity mask and its cgroup's quota. The default
// number of jobs of both programs.
unsigned UsableProcessorCount();

} // namespace zent
