#include "controls/ProgressCylState.h"
#include "tests/controls/ProgressCylTestSupport.h"

#include <gtest/gtest.h>
#include <limits>

namespace zent {
namespace {

using test::kProgramBarHeight;
using test::kProgramBarWidth;

struct EdgeCase {
    int Position;
    std::int64_t FillEdge;
    int Percentage;
};

class ProgramBarFillEdge : public testing::TestWithParam<EdgeCase> {};

TEST_P(ProgramBarFillEdge, FollowsThePosition) {
    TProgressCylState bar;
    bar.SetSize(kProgramBarWidth, kProgramBarHeight);
    bar.SetPosition(GetParam().Position);
    EXPECT_EQ(bar.FillEdge(), GetParam().FillEdge);
    EXPECT_EQ(bar.Percentage(), GetParam().Percentage);
}

INSTANTIATE_TEST_SUITE_P(Positions, ProgramBarFillEdge,
                         testing::Values(EdgeCase{0, 5, 0}, EdgeCase{1, 9, 1},
                                         EdgeCase{26, 140, 26}, EdgeCase{100, 527, 100}));

TEST(ProgressCylPosition, IsClampedIntoTheRange) {
    TProgressCylState bar;
    bar.SetPosition(250);
    EXPECT_EQ(bar.Position(), 100);
    bar.SetPosition(-3);
    EXPECT_EQ(bar.Position(), 0);
}

TEST(ProgressCylPosition, PercentageRoundsHalvesToEven) {
    TProgressCylState bar;
    bar.SetMax(200);
    bar.SetPosition(1); // 0.5 %
    EXPECT_EQ(bar.Percentage(), 0);
    bar.SetPosition(3); // 1.5 %
    EXPECT_EQ(bar.Percentage(), 2);
}

TEST(ProgressCylPosition, VerticalFillEdgeLiesBelowTheInnerAreaAtZero) {
    TProgressCylState bar;
    bar.SetSize(22, 100);
    bar.SetOrientation(pbVertical);
    bar.SetPosition(0);
    EXPECT_EQ(bar.FillEdge(), 96);
    bar.SetPosition(100);
    EXPECT_EQ(bar.FillEdge(), 4);
}

TEST(ProgressCylPosition, SamePositionTwiceRepaintsAndReportsDoneOnce) {
    TProgressCylState bar;
    int done = 0;
    bar.SetOnProgressDone([&](TProgressCylState& sender) {
        EXPECT_EQ(&sender, &bar);
        ++done;
    });
    const int before = bar.RepaintCount();
    bar.SetPosition(100);
    bar.SetPosition(100);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(bar.RepaintCount(), before + 1);
}

TEST(ProgressCylPosition, ProgressDoneComesBeforeTheRepaint) {
    TProgressCylState bar;
    int repaintsSeen = -1;
    bar.SetOnProgressDone([&](TProgressCylState& sender) { repaintsSeen = sender.RepaintCount(); });
    const int before = bar.RepaintCount();
    bar.SetPosition(100);
    EXPECT_EQ(repaintsSeen, before);
}

TEST(ProgressCylPosition, ChangeBelowOnePixelAndOnePercentDrawsNothing) {
    TProgressCylState bar;
    bar.SetSize(kProgramBarWidth, kProgramBarHeight);
    bar.SetMax(100000);
    int done = 0;
    bar.SetOnProgressDone([&](TProgressCylState&) { ++done; });
    bar.SetPosition(99999);
    const int before = bar.RepaintCount();
    bar.SetPosition(100000);
    EXPECT_EQ(bar.Position(), 100000);
    EXPECT_EQ(bar.RepaintCount(), before);
    EXPECT_EQ(done, 0);
}

TEST(ProgressCylPosition, FullIntegerRangeDoesNotOverflow) {
    TProgressCylState bar;
    bar.SetSize(kProgramBarWidth, kProgramBarHeight);
    bar.SetMin(std::numeric_limits<int>::min());
    bar.SetMax(std::numeric_limits<int>::max());
    bar.SetPosition(std::numeric_limits<int>::max());
    EXPECT_EQ(bar.Percentage(), 100);
    EXPECT_EQ(bar.FillEdge(), 527);
    bar.SetPosition(0);
    EXPECT_EQ(bar.Percentage(), 50);
    EXPECT_NEAR(static_cast<double>(bar.FillEdge()), 265.0, 1.0);
}

TEST(ProgressCylRange, MaxEqualToMinBecomesOneAbove) {
    TProgressCylState bar;
    bar.SetMin(40);
    bar.SetMax(40);
    EXPECT_EQ(bar.Max(), 41);
}

TEST(ProgressCylRange, MinEqualToMaxBecomesOneBelow) {
    TProgressCylState bar;
    bar.SetMin(100);
    EXPECT_EQ(bar.Min(), 99);
}

TEST(ProgressCylRange, MinAboveMaxIsRefused) {
    TProgressCylState bar;
    bar.SetMin(500);
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_FLOAT_EQ(bar.RangeScale(), 0.01f);
}

TEST(ProgressCylRange, MaxBelowMinIsRefused) {
    TProgressCylState bar;
    bar.SetMin(10);
    bar.SetMax(5);
    EXPECT_EQ(bar.Max(), 100);
}

TEST(ProgressCylRange, LoweringMaxBelowPositionMovesPositionFirst) {
    TProgressCylState bar;
    bar.SetPosition(80);
    bar.SetMax(50);
    EXPECT_EQ(bar.Position(), 50);
    EXPECT_EQ(bar.Percentage(), 100);
}

TEST(ProgressCylRange, RaisingMinAbovePositionMovesPosition) {
    TProgressCylState bar;
    bar.SetPosition(10);
    bar.SetMin(30);
    EXPECT_EQ(bar.Position(), 30);
    EXPECT_EQ(bar.Percentage(), 0);
}

} // namespace
} // namespace zent
