#include "framework/Processors.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <sched.h>
#include <thread>

namespace zent {

namespace {

constexpr const char* kCgroupRoot = "/sys/fs/cgroup";
constexpr const char* kMembership = "/proc/self/cgroup";
// The line of a cgroup v2 membership: hierarchy 0, no controllers.
constexpr std::string_view kUnifiedPrefix = "0::";

std::string ReadSmallFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool ParseNumber(std::string_view text, unsigned long long& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && stop == end;
}

// The unified hierarchy's path of the process ("/user.slice/x.scope"), or empty.
std::string_view UnifiedPath(std::string_view membership) {
    while (!membership.empty()) {
        const std::size_t end = std::min(membership.find('\n'), membership.size());
        const std::string_view line = membership.substr(0, end);
        if (line.starts_with(kUnifiedPrefix))
            return line.substr(kUnifiedPrefix.size());
        membership.remove_prefix(std::min(end + 1, membership.size()));
    }
    return {};
}

unsigned AffinityCount() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
    return std::thread::hardware_concurrency();
}

} // namespace

unsigned QuotaProcessors(std::string_view cpuMax) {
    while (!cpuMax.empty() && (cpuMax.back() == '\n' || cpuMax.back() == ' '))
        cpuMax.remove_suffix(1);
    const std::size_t space = cpuMax.find(' ');
    if (space == std::string_view::npos)
        return 0;
    unsigned long long quota = 0;
    unsigned long long period = 0;
    if (!ParseNumber(cpuMax.substr(0, space), quota) ||
        !ParseNumber(cpuMax.substr(space + 1), period) || quota == 0 || period == 0)
        return 0;
    const unsigned long long processors = (quota + period - 1) / period;
    return static_cast<unsigned>(std::min<unsigned long long>(processors, 1u << 20));
}

unsigned UsableProcessors(unsigned affinity, const std::string& cgroupRoot,
                          std::string_view membership) {
    unsigned usable = std::max(1u, affinity);
    std::string path(UnifiedPath(membership));
    // A quota set on a parent holds for every group below it.
    for (;;) {
        const unsigned quota = QuotaProcessors(ReadSmallFile(cgroupRoot + path + "/cpu.max"));
        if (quota > 0)
            usable = std::min(usable, quota);
        const std::size_t slash = path.rfind('/');
        if (path.empty() || slash == std::string::npos)
            break;
        path.resize(slash);
    }
    return std::max(1u, usable);
}

unsigned UsableProcessorCount() {
    return UsableProcessors(AffinityCount(), kCgroupRoot, ReadSmallFile(kMembership));
}

} // namespace zent
