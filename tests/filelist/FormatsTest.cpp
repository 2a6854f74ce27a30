#include "filelist/Formats.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace zent {
namespace {

TEST(FormatLength, ShowsMinutesAndSecondsWithTwoDigitsEach) {
    EXPECT_EQ(FormatLength(0), "00:00");
    EXPECT_EQ(FormatLength(5), "00:05");
    EXPECT_EQ(FormatLength(65), "01:05");
    EXPECT_EQ(FormatLength(600), "10:00");
    EXPECT_EQ(FormatLength(3599), "59:59");
    EXPECT_EQ(FormatLength(3600), "60:00");
}

TEST(FormatLength, LetsMinutesGrowPastTwoDigits) {
    EXPECT_EQ(FormatLength(6000), "100:00");
}

// Every test here sets the locale that it needs and puts the previous one back.
class FormatSizeIn : public testing::Test {
protected:
    void TearDown() override { QLocale::setDefault(FSaved); }
    void Use(QLocale::Language language, QLocale::Territory territory) {
        QLocale::setDefault(QLocale(language, territory));
    }

private:
    QLocale FSaved;
};

TEST_F(FormatSizeIn, PointLocaleShowsOneDecimal) {
    Use(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(FormatSize(0), "0.0 MB");
    EXPECT_EQ(FormatSize(1048576), "1.0 MB");
    EXPECT_EQ(FormatSize(5292000), "5.0 MB");
    EXPECT_EQ(FormatSize(31752000), "30.3 MB");
}

TEST_F(FormatSizeIn, CommaLocaleUsesItsDecimalSeparator) {
    Use(QLocale::German, QLocale::Germany);
    EXPECT_EQ(FormatSize(31752000), "30,3 MB");
    EXPECT_EQ(FormatSize(0), "0,0 MB");
}

TEST_F(FormatSizeIn, LocaleWithGroupingStillShowsNoThousandsSeparator) {
    Use(QLocale::German, QLocale::Germany);
    EXPECT_EQ(FormatSize(2540160000LL), "2422,5 MB");
    Use(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(FormatMegabytes(1048576.0 * 1234567.31), "1234567.3");
}

} // namespace
} // namespace zent
