#include "controls/ProgressCylState.h"
#include "tests/controls/ProgressCylTestSupport.h"

#include <functional>
#include <gtest/gtest.h>
#include <ostream>

namespace zent {
namespace {

using test::PaletteGuard;

TEST(ProgressCylConstruction, StartsWithTheDocumentedValues) {
    TProgressCylState bar;
    EXPECT_EQ(bar.ControlWidth(), 150);
    EXPECT_EQ(bar.ControlHeight(), 22);
    EXPECT_EQ(bar.ForeColor(), clWhite);
    EXPECT_EQ(bar.ForeLineColor(), clHighlight);
    EXPECT_EQ(bar.BackColor(), clBtnFace);
    EXPECT_EQ(bar.BevelColor(), clBtnFace);
    EXPECT_EQ(bar.BackBorderColor(), clBlack);
    EXPECT_EQ(bar.FontShadowColor(), clBtnFace);
    EXPECT_EQ(bar.Color(), clBtnFace);
    EXPECT_EQ(bar.FontEffect(), feShadowBottomRight);
    EXPECT_EQ(bar.ShadowOffset(), 1);
    EXPECT_EQ(bar.CylinderEffect(), ceMaximum);
    EXPECT_TRUE(bar.ShowText());
    EXPECT_EQ(bar.Text(), QStringLiteral("%"));
    EXPECT_EQ(bar.BevelInner(), bvRaised);
    EXPECT_EQ(bar.BevelOuter(), bvLowered);
    EXPECT_EQ(bar.BevelWidth(), 1);
    EXPECT_EQ(bar.BorderWidth(), 2);
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(bar.Step(), 1);
    EXPECT_TRUE(bar.StopAtMax());
    EXPECT_EQ(bar.Font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(bar.Font().pointSize(), 9);
    EXPECT_TRUE(bar.Font().bold());
    EXPECT_EQ(bar.FontColor(), clBlack);
    EXPECT_FALSE(bar.HasTextMask());
}

TEST(ProgressCylLayout, ProgramBarShadesEightRowsInStepsOf31) {
    TProgressCylState bar;
    bar.SetSize(test::kProgramBarWidth, test::kProgramBarHeight);
    EXPECT_EQ(bar.InnerRect(), (TRect{4, 4, 527, 12}));
    EXPECT_EQ(bar.BevelRect(), (TRect{3, 3, 528, 13}));
    EXPECT_FLOAT_EQ(bar.RowStep(), 31.0f);
    EXPECT_FLOAT_EQ(bar.ColumnStep(), 0.0f);
}

TEST(ProgressCylLayout, FlatCylinderHasNoStep) {
    TProgressCylState bar;
    bar.SetCylinderEffect(ceFlat);
    EXPECT_EQ(bar.ShadingDepth(), 1);
    EXPECT_FLOAT_EQ(bar.RowStep(), 0.0f);
}

TEST(ProgressCylLayout, BorderLeavingNoInnerAreaIsRefusedButStillRepaints) {
    TProgressCylState bar; // 22 pixels high
    const int before = bar.RepaintCount();
    bar.SetBorderWidth(20);
    EXPECT_EQ(bar.BorderWidth(), 2);
    EXPECT_EQ(bar.InnerRect(), (TRect{4, 4, 146, 18}));
    EXPECT_GT(bar.RepaintCount(), before);
}

TEST(ProgressCylLayout, NegativeWidthsAreRefused) {
    TProgressCylState bar;
    bar.SetBorderWidth(-5);
    bar.SetBevelWidth(-1);
    EXPECT_EQ(bar.BorderWidth(), 2);
    EXPECT_EQ(bar.BevelWidth(), 1);
}

TEST(ProgressCylLayout, SizeWithoutInnerAreaLeavesLayoutAndDrawsNothing) {
    TProgressCylState bar;
    const int before = bar.RepaintCount();
    bar.SetSize(8, 8);
    EXPECT_EQ(bar.RepaintCount(), before);
    EXPECT_EQ(bar.ComposeFrame(), nullptr);
}

TEST(ProgressCylColors, ChannelFactorLightensAQuarterTowardsWhite) {
    const TPCColorStyle style;
    EXPECT_FLOAT_EQ(ChannelFactor(0, style), 0.25f);
    EXPECT_FLOAT_EQ(ChannelFactor(255, style), 1.0f);
    EXPECT_EQ(ChannelFactor(240, style), 0.95588237f);
}

TEST(ProgressCylColors, SystemColoursFollowTheApplicationPalette) {
    const PaletteGuard palette(QColor(240, 240, 240));
    TProgressCylState bar;
    EXPECT_EQ(bar.BackFactors().R, 0.95588237f);
    EXPECT_EQ(ColorToRgb(clBtnFace), test::Gray(240));
}

TEST(ProgressCylColors, EveryForeColorAssignmentRepaints) {
    TProgressCylState bar;
    const int before = bar.RepaintCount();
    bar.SetForeColor(bar.ForeColor());
    EXPECT_EQ(bar.RepaintCount(), before + 1);
}

TEST(ProgressCylColors, UnchangedBorderColorIsIgnored) {
    TProgressCylState bar;
    const int before = bar.RepaintCount();
    bar.SetBackBorderColor(bar.BackBorderColor());
    EXPECT_EQ(bar.RepaintCount(), before);
}

TEST(ProgressCylBevels, ButtonFaceGivesSystemBevelColours) {
    TProgressCylState bar;
    bar.SetBevelColor(clBtnFace);
    EXPECT_EQ(bar.BevelColors().Highlight, clBtnHighlight);
    EXPECT_EQ(bar.BevelColors().Shadow, clBtnShadow);
    EXPECT_EQ(bar.BevelColors().Light, cl3DLight);
    EXPECT_EQ(bar.BevelColors().DarkShadow, cl3DDkShadow);
    EXPECT_EQ(bar.InnerBevelTop(), clBtnHighlight); // raised
    EXPECT_EQ(bar.OuterBevelTop(), clBtnShadow);    // lowered
}

TEST(ProgressCylBevels, EqualRgbValueGivesLiftedAndLoweredColours) {
    const PaletteGuard palette(QColor(240, 240, 240));
    TProgressCylState bar;
    bar.SetBevelColor(RgbToColor(240, 240, 240));
    EXPECT_EQ(bar.BevelColors().Highlight, RgbToColor(255, 255, 255));
    EXPECT_EQ(bar.BevelColors().Shadow, RgbToColor(176, 176, 176));
    EXPECT_EQ(bar.BevelColors().Light, RgbToColor(255, 255, 255));
    EXPECT_EQ(bar.BevelColors().DarkShadow, RgbToColor(176, 176, 176));
}

TEST(ProgressCylBevels, FlushRaisedBevelsUseLightAndDarkShadow) {
    TProgressCylState bar;
    bar.SetBevelOuter(bvRaised);
    bar.SetBorderWidth(0);
    EXPECT_EQ(bar.InnerBevelTop(), cl3DLight);
    EXPECT_EQ(bar.OuterBevelBottom(), cl3DDkShadow);
}

struct ZeroDivisor {
    const char* Name;
    std::function<void(TPCColorStyle&)> SetZero;
    std::function<double(const TPCColorStyle&)> Read;
};

void PrintTo(const ZeroDivisor& c, std::ostream* out) {
    *out << c.Name;
}

class ProgressCylZeroDivisor : public testing::TestWithParam<ZeroDivisor> {};

TEST_P(ProgressCylZeroDivisor, IsRefusedWithoutRepaint) {
    TProgressCylState bar;
    const double before = GetParam().Read(bar.ForeStyle());
    const int repaints = bar.RepaintCount();
    GetParam().SetZero(bar.ForeStyle());
    EXPECT_EQ(GetParam().Read(bar.ForeStyle()), before);
    EXPECT_EQ(bar.RepaintCount(), repaints);
}

INSTANTIATE_TEST_SUITE_P(
    Divisors, ProgressCylZeroDivisor,
    testing::Values(ZeroDivisor{"Intensity", [](TPCColorStyle& s) { s.SetIntensity(0.0f); },
                                [](const TPCColorStyle& s) {
                                    return double(s.Intensity());
                                }},
                    ZeroDivisor{"RangeRGB", [](TPCColorStyle& s) { s.SetRangeRGB(0); },
                                [](const TPCColorStyle& s) {
                                    return double(s.RangeRGB());
                                }},
                    ZeroDivisor{"LightAngle", [](TPCColorStyle& s) { s.SetLightAngle(0.0f); },
                                [](const TPCColorStyle& s) {
                                    return double(s.LightAngle());
                                }}),
    [](const testing::TestParamInfo<ZeroDivisor>& param) { return param.param.Name; });

TEST(ProgressCylStyles, StyleChangeRecomputesFactors) {
    TProgressCylState bar;
    bar.SetForeColor(clBlack);
    bar.ForeStyle().SetIntensity(1.0f); // (255 + 0) / 1 / 255
    EXPECT_FLOAT_EQ(bar.ForeFactors().R, 1.0f);
}

TEST(ProgressCylStyles, AssigningAStyleCopiesItsValues) {
    TProgressCylState bar;
    TPCColorStyle style;
    style.SetLightAngle(2.0f);
    style.SetColorRGB(100);
    bar.SetBackStyle(style);
    EXPECT_FLOAT_EQ(bar.BackStyle().LightAngle(), 2.0f);
    EXPECT_EQ(bar.BackStyle().ColorRGB(), 100);
    EXPECT_NE(&bar.BackStyle(), &style);
}

TEST(ProgressCylTextMask, ExistsWhileInvertedTextIsShown) {
    TProgressCylState bar;
    bar.SetFontEffect(feInvert);
    EXPECT_TRUE(bar.HasTextMask());
    bar.SetShowText(false);
    EXPECT_FALSE(bar.HasTextMask());
    bar.SetShowText(true);
    EXPECT_TRUE(bar.HasTextMask());
    bar.SetFontOrientation(foTopToBottom);
    EXPECT_TRUE(bar.HasTextMask());
}

TEST(ProgressCylTextMask, SwitchingToShadowReleasesTheMask) {
    TProgressCylState bar;
    bar.SetFontEffect(feInvert);
    bar.SetFontEffect(feShadowTopLeft);
    EXPECT_FALSE(bar.HasTextMask());
    EXPECT_EQ(bar.ShadowOffset(), -1);
}

TEST(ProgressCylTextMask, EffectChangedWhileHiddenWaitsForShowText) {
    TProgressCylState bar;
    bar.SetFontEffect(feInvert);
    bar.SetShowText(false);
    bar.SetFontEffect(feShadowTopLeft);
    EXPECT_EQ(bar.ShadowOffset(), 1);
    bar.SetShowText(true);
    EXPECT_EQ(bar.ShadowOffset(), -1);
    EXPECT_FALSE(bar.HasTextMask());
}

struct PlacementCase {
    TFontOrientation Orientation;
    int Width;
    int Escapement;
    QPoint Origin;
};

class ProgressCylLabel : public testing::TestWithParam<PlacementCase> {};

TEST_P(ProgressCylLabel, IsCentredInItsRotatedFrame) {
    TProgressCylState bar;
    bar.SetSize(GetParam().Width, 40);
    bar.SetFontOrientation(GetParam().Orientation);
    const TLabelPlacement placement = bar.LabelPlacement(31, 14);
    EXPECT_EQ(placement.Label, QStringLiteral("0%"));
    EXPECT_EQ(placement.Escapement, GetParam().Escapement);
    EXPECT_EQ(placement.Origin, GetParam().Origin);
}

INSTANTIATE_TEST_SUITE_P(Orientations, ProgressCylLabel,
                         testing::Values(PlacementCase{foLeftToRight, 200, 1, {84, 14}},
                                         PlacementCase{foLeftToRight, 20, 1, {-5, 14}},
                                         PlacementCase{foTopToBottom, 200, 2700, {106, 4}},
                                         PlacementCase{foBottomToTop, 200, 900, {94, 35}}));

} // namespace
} // namespace zent
