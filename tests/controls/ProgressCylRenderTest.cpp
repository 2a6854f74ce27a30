#include "controls/ProgressCylState.h"
#include "tests/controls/ProgressCylTestSupport.h"

#include <gtest/gtest.h>
#include <ostream>

namespace zent {
namespace {

using test::Gray;
using test::kProgramBarBrightness;
using test::kProgramBarInset;
using test::PaletteGuard;
using test::PixelAt;

constexpr int kFirstRow = kProgramBarInset;

struct ForeCase {
    const char* Name;
    TColor Fore;
    // Channels of the filled part as brightness multiples: 1.0 or the dark 0.25.
    bool RedFull;
    bool BlueFull;
};

void PrintTo(const ForeCase& c, std::ostream* out) {
    *out << c.Name;
}

class ProgramBarFill : public testing::TestWithParam<ForeCase> {};

TRgb ExpectedFore(const ForeCase& fore, int brightness) {
    const auto channel = [&](bool full) {
        return std::uint8_t(full ? brightness : int(brightness * 0.25));
    };
    return {channel(fore.RedFull), std::uint8_t(brightness), channel(fore.BlueFull)};
}

TEST_P(ProgramBarFill, ShadesRowsFromTheLightRowDownwards) {
    const PaletteGuard palette(QColor(240, 240, 240));
    TProgressCylState bar;
    test::MakeProgramLayout(bar, GetParam().Fore);
    bar.SetPosition(100);
    const QImage* frame = bar.ComposeFrame();
    ASSERT_NE(frame, nullptr);
    // Rows 4 and 11 sit under the border outline; column 527 is the edge line, 526 outline.
    for (int row = 1; row < 7; ++row)
        EXPECT_EQ(PixelAt(*frame, 300, kFirstRow + row),
                  ExpectedFore(GetParam(), kProgramBarBrightness[row]))
            << "row " << kFirstRow + row;
    EXPECT_EQ(PixelAt(*frame, 300, 4), Gray(0));
    EXPECT_EQ(PixelAt(*frame, 300, 11), Gray(0));
}

INSTANTIATE_TEST_SUITE_P(Colours, ProgramBarFill,
                         testing::Values(ForeCase{"Yellow", clYellow, true, false},
                                         ForeCase{"Lime", clLime, false, false}),
                         [](const testing::TestParamInfo<ForeCase>& param) {
                             return param.param.Name;
                         });

TEST(ProgramBarFrame, UnfilledPartUsesTheButtonFace) {
    const PaletteGuard palette(QColor(240, 240, 240));
    TProgressCylState bar;
    test::MakeProgramLayout(bar, clYellow);
    bar.SetPosition(0);
    const QImage& frame = *bar.ComposeFrame();
    const int expected[] = {184, 214, 243, 214, 184, 154, 125, 95};
    for (int row = 1; row < 7; ++row)
        EXPECT_EQ(PixelAt(frame, 300, kFirstRow + row), Gray(expected[row]))
            << "row " << kFirstRow + row;
}

TEST(ProgramBarFrame, AtZeroTheEdgeLineIsColumnFive) {
    const PaletteGuard palette(QColor(240, 240, 240), Qt::white);
    TProgressCylState bar;
    test::MakeProgramLayout(bar, clYellow);
    bar.SetPosition(0);
    const QImage& frame = *bar.ComposeFrame();
    for (int row = 1; row < 7; ++row) {
        const int y = kFirstRow + row;
        EXPECT_EQ(PixelAt(frame, 4, y), Gray(0)) << "row " << y;
        EXPECT_EQ(PixelAt(frame, 5, y), Gray(kProgramBarBrightness[row])) << "row " << y;
        EXPECT_EQ(PixelAt(frame, 6, y), Gray(int(kProgramBarBrightness[row] * 0.95588237f)))
            << "row " << y;
    }
}

TEST(ProgramBarFrame, AtHundredTheEdgeLineLiesJustOutsideTheInnerArea) {
    const PaletteGuard palette(QColor(240, 240, 240), Qt::white);
    TProgressCylState bar;
    test::MakeProgramLayout(bar, clYellow);
    bar.SetPosition(100);
    const QImage& frame = *bar.ComposeFrame();
    for (int row = 0; row < 8; ++row) {
        const int y = kFirstRow + row;
        EXPECT_EQ(PixelAt(frame, 526, y), Gray(0)) << "row " << y;
        EXPECT_EQ(PixelAt(frame, 527, y), Gray(kProgramBarBrightness[row])) << "row " << y;
        EXPECT_EQ(PixelAt(frame, 528, y), Gray(240)) << "row " << y;
    }
    EXPECT_EQ(PixelAt(frame, 527, 3), Gray(240));
    EXPECT_EQ(PixelAt(frame, 527, 12), Gray(240));
}

TEST(ProgressCylVertical, AtZeroTheEdgeLineIsTheRowBelowTheInnerArea) {
    const PaletteGuard palette(QColor(240, 240, 240), Qt::white);
    TProgressCylState bar;
    bar.SetSize(test::kProgramBarHeight, 100);
    bar.SetBevelInner(bvNone);
    bar.SetBevelOuter(bvNone);
    bar.SetShowText(false);
    bar.SetOrientation(pbVertical);
    bar.SetPosition(0);
    ASSERT_FLOAT_EQ(bar.ColumnStep(), 31.0f);
    const QImage& frame = *bar.ComposeFrame();
    for (int column = 0; column < 8; ++column) {
        const int x = kProgramBarInset + column;
        EXPECT_EQ(PixelAt(frame, x, 96), Gray(kProgramBarBrightness[column])) << "column " << x;
        EXPECT_EQ(PixelAt(frame, x, 95), Gray(0)) << "column " << x;
    }
    EXPECT_EQ(PixelAt(frame, 6, 50), Gray(243));
}

TEST(ProgressCylBevels, RaisedInnerAndLoweredOuterFramesAreDrawn) {
    const PaletteGuard palette(QColor(240, 240, 240));
    TProgressCylState bar;
    bar.SetBevelColor(RgbToColor(100, 100, 100));
    const QImage& frame = *bar.ComposeFrame();
    // Outer lowered: shadow above, highlight below; the top-right corner takes the bottom.
    EXPECT_EQ(PixelAt(frame, 10, 0), Gray(36));
    EXPECT_EQ(PixelAt(frame, 10, 21), Gray(164));
    EXPECT_EQ(PixelAt(frame, 149, 0), Gray(164));
    EXPECT_EQ(PixelAt(frame, 0, 21), Gray(164));
    // Inner raised on the bevel rectangle (inset 3).
    EXPECT_EQ(PixelAt(frame, 10, 3), Gray(164));
    EXPECT_EQ(PixelAt(frame, 10, 18), Gray(36));
    // Border between the bevels shows the background.
    EXPECT_EQ(PixelAt(frame, 10, 1), Gray(240));
}

TEST(ProgressCylFrame, WithoutInsetNothingIsDrawnOutsideTheImage) {
    TProgressCylState bar;
    bar.SetSize(100, 20);
    bar.SetBevelInner(bvNone);
    bar.SetBevelOuter(bvNone);
    bar.SetShowText(false);
    bar.SetBorderWidth(0);
    bar.SetBevelWidth(0);
    ASSERT_EQ(bar.InnerInset(), 0);
    bar.SetPosition(100);
    ASSERT_EQ(bar.FillEdge(), 100);
    ASSERT_NE(bar.ComposeFrame(), nullptr);
    bar.SetOrientation(pbVertical);
    bar.SetPosition(0);
    ASSERT_EQ(bar.FillEdge(), 20);
    ASSERT_NE(bar.ComposeFrame(), nullptr);
}

// A bar of one colour everywhere, with the inverted label on it.
void MakePlainInvertedBar(TProgressCylState& bar, TColor color, int colorRGB) {
    bar.SetSize(120, 30);
    bar.SetBevelInner(bvNone);
    bar.SetBevelOuter(bvNone);
    bar.SetCylinderEffect(ceFlat);
    TPCColorStyle style;
    style.SetColorRGB(colorRGB);
    bar.SetForeStyle(style);
    bar.SetBackStyle(style);
    for (auto set : {&TProgressCylState::SetForeColor, &TProgressCylState::SetBackColor,
                     &TProgressCylState::SetForeLineColor, &TProgressCylState::SetColor,
                     &TProgressCylState::SetBackBorderColor})
        (bar.*set)(color);
    bar.SetFontEffect(feInvert);
    bar.SetPosition(50);
}

struct InvertCase {
    const char* Name;
    TColor Color;
    int ColorRGB;
    TRgb Background;
    TRgb Label;
};

void PrintTo(const InvertCase& c, std::ostream* out) {
    *out << c.Name;
}

class ProgressCylInvertedText : public testing::TestWithParam<InvertCase> {};

TEST_P(ProgressCylInvertedText, ShowsTheLabelInTheInverseColour) {
    TProgressCylState bar;
    MakePlainInvertedBar(bar, GetParam().Color, GetParam().ColorRGB);
    const QImage& frame = *bar.ComposeFrame();
    ASSERT_TRUE(bar.HasTextMask());
    const QImage& mask = *bar.TextMask();
    int labelPixels = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const TRgb under = PixelAt(mask, x, y);
            const TRgb expected = {std::uint8_t(GetParam().Background.R ^ under.R),
                                   std::uint8_t(GetParam().Background.G ^ under.G),
                                   std::uint8_t(GetParam().Background.B ^ under.B)};
            ASSERT_EQ(PixelAt(frame, x, y), expected) << x << ", " << y;
            if (under == Gray(255)) {
                ++labelPixels;
                EXPECT_EQ(PixelAt(frame, x, y), GetParam().Label);
            }
        }
    EXPECT_GT(labelPixels, 10);
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, ProgressCylInvertedText,
                         testing::Values(InvertCase{"White", clWhite, 255, Gray(255), Gray(0)},
                                         InvertCase{"Black", clBlack, 0, Gray(0), Gray(255)}),
                         [](const testing::TestParamInfo<InvertCase>& param) {
                             return param.param.Name;
                         });

TEST(ProgressCylText, ShadowedLabelChangesTheFrame) {
    TProgressCylState bar;
    bar.SetSize(120, 30);
    bar.SetShowText(false);
    const QImage plain = bar.ComposeFrame()->copy();
    bar.SetShowText(true);
    EXPECT_NE(*bar.ComposeFrame(), plain);
    EXPECT_FALSE(bar.HasTextMask());
}

} // namespace
} // namespace zent
