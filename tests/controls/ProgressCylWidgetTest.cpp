#include "controls/ProgressCyl.h"
#include "tests/controls/ProgressCylTestSupport.h"

#include <QApplication>
#include <QEnterEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace zent {
namespace {

using test::PaletteGuard;

// A program bar on the (offscreen) screen, sized as in the main window.
class ProgramBarWidget : public testing::Test {
protected:
    void SetUp() override {
        ConfigureProgramBar(FBar, clLime);
        FBar.resize(test::kProgramBarWidth, test::kProgramBarHeight);
        FBar.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&FBar));
        FBar.SetPosition(0);
    }

    TProgressCyl FBar;
};

TEST_F(ProgramBarWidget, TakesTheStoredValuesOfTheProgram) {
    EXPECT_EQ(FBar.height(), test::kProgramBarHeight);
    EXPECT_EQ(FBar.minimumHeight(), test::kProgramBarHeight);
    EXPECT_EQ(FBar.ForeColor(), clLime);
    EXPECT_EQ(FBar.BevelInner(), bvNone);
    EXPECT_EQ(FBar.BevelOuter(), bvNone);
    EXPECT_EQ(FBar.InnerInset(), test::kProgramBarInset);
    EXPECT_FALSE(FBar.ShowText());
    EXPECT_EQ(FBar.Font().pixelSize(), 12);
    EXPECT_TRUE(FBar.Font().bold());
    EXPECT_FLOAT_EQ(FBar.RowStep(), 31.0f);
}

TEST_F(ProgramBarWidget, FollowsItsWidgetSize) {
    FBar.SetPosition(26);
    EXPECT_EQ(FBar.FillEdge(), 140);
}

TEST_F(ProgramBarWidget, VisibleChangesPaintOnceWithTheNextPaint) {
    const int frames = FBar.FrameCount();
    FBar.SetPosition(26);
    FBar.SetPosition(27);
    EXPECT_EQ(FBar.FrameCount(), frames);
    QApplication::processEvents();
    EXPECT_EQ(FBar.FrameCount(), frames + 1);
}

TEST_F(ProgramBarWidget, UnchangedEdgeAndPercentageDrawNothing) {
    FBar.SetPosition(26);
    const int frames = FBar.FrameCount();
    FBar.SetPosition(26);
    EXPECT_EQ(FBar.FrameCount(), frames);
}

TEST_F(ProgramBarWidget, ScreenShowsTheComposedFrame) {
    FBar.SetPosition(50);
    const QImage shown = FBar.grab().toImage().convertToFormat(QImage::Format_RGB888);
    EXPECT_EQ(shown, *FBar.ComposeFrame());
}

TEST_F(ProgramBarWidget, PaletteChangeRecomputesTheColours) {
    const PaletteGuard palette(QColor(240, 240, 240));
    QApplication::processEvents(); // the palette change arrives as an event
    EXPECT_EQ(FBar.BackFactors().R, 0.95588237f);
}

TEST_F(ProgramBarWidget, MouseEnterAndLeaveNotifyAndRepaint) {
    QObject* entered = nullptr;
    int left = 0;
    FBar.SetOnMouseEnter(
        [&](TProgressCylState& sender) { entered = dynamic_cast<TProgressCyl*>(&sender); });
    FBar.SetOnMouseLeave([&](TProgressCylState&) { ++left; });
    const int frames = FBar.FrameCount();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&FBar, &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&FBar, &leave);
    EXPECT_EQ(entered, &FBar);
    EXPECT_EQ(left, 1);
    QApplication::processEvents();
    EXPECT_EQ(FBar.FrameCount(), frames + 1);
}

TEST(ProgressCylWidget, TooSmallToDrawComposesNoFrame) {
    TProgressCyl bar;
    bar.resize(8, 8);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    bar.repaint();
    EXPECT_EQ(bar.FrameCount(), 0);
}

} // namespace
} // namespace zent
