#include "framework/Processors.h"

#include "tests/support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace zent {
namespace {

TEST(Processors, QuotaIsRoundedUpAndNoLimitIsZero) {
    const struct {
        const char* CpuMax;
        unsigned Processors;
    } cases[] = {{"100000 100000\n", 1}, {"150000 100000\n", 2}, {"50000 100000", 1},
                 {"400000 100000\n", 4}, {"max 100000\n", 0},    {"", 0},
                 {"0 100000", 0},        {"100000", 0},          {"x y", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(QuotaProcessors(c.CpuMax), c.Processors) << c.CpuMax;
}

TEST(Processors, TightestQuotaOnTheWayUpLowersTheAffinity) {
    test::TempDir root;
    std::filesystem::create_directories(root.File("job/step"));
    std::ofstream(root.File("job/cpu.max")) << "200000 100000\n";
    std::ofstream(root.File("job/step/cpu.max")) << "max 100000\n";
    const std::string membership = "1:cpu:/ignored\n0::/job/step\n";
    EXPECT_EQ(UsableProcessors(8, root.Path().native(), membership), 2u);
    EXPECT_EQ(UsableProcessors(1, root.Path().native(), membership), 1u);
    EXPECT_EQ(UsableProcessors(8, root.Path().native(), "0::/\n"), 8u);
    EXPECT_EQ(UsableProcessors(0, root.Path().native(), ""), 1u);
    EXPECT_GE(UsableProcessorCount(), 1u);
}

} // namespace
} // namespace zent
