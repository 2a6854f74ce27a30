#include "framework/RegionalText.h"

#include "tests/framework/IniTestSupport.h"

#include <gtest/gtest.h>

namespace zent {
namespace {

TEST(RegionalText, FloatsUseTheGeneralFormWithFifteenDigitsAndNoGrouping) {
    test::DefaultLocale german{QLocale(QLocale::German)};
    EXPECT_EQ(FloatToText(0.1 + 0.2), "0,3");
    EXPECT_EQ(FloatToText(1234567.25), "1234567,25");
    EXPECT_EQ(TextToFloat("1234567,25"), 1234567.25);
    EXPECT_FALSE(TextToFloat("1.234.567,25")) << "grouped digits are not taken apart";
    EXPECT_FALSE(TextToFloat("abc"));
}

TEST(RegionalText, AFloatSurvivesItsTextInAnyLocale) {
    for (const QLocale& locale : {QLocale(QLocale::German), QLocale(QLocale::English), QLocale::c(),
                                  QLocale(QLocale::French)}) {
        test::DefaultLocale scoped{locale};
        for (double value : {-2.5, 1e20, 1.0 / 3.0, 0.000012})
            EXPECT_NEAR(*TextToFloat(FloatToText(value)), value, std::abs(value) * 1e-14)
                << FloatToText(value);
    }
}

TEST(RegionalText, DateTimesRoundTripToTheSecondAndKeepFourDigitYears) {
    for (const QLocale& locale : {QLocale(QLocale::German), QLocale(QLocale::English)}) {
        test::DefaultLocale scoped{locale};
        const TDateTime value = 45000.75; // 2023-03-15 18:00:00
        EXPECT_DOUBLE_EQ(*TextToDateTime(DateTimeToText(value)), value) << DateTimeToText(value);
        EXPECT_DOUBLE_EQ(*TextToDate(DateToText(value)), 45000.0);
        EXPECT_DOUBLE_EQ(*TextToTime(TimeToText(value)), 0.75);
        EXPECT_NE(DateToText(value).find("2023"), std::string::npos);
    }
}

TEST(RegionalText, MidnightLeavesTheTimeOut) {
    test::DefaultLocale german{QLocale(QLocale::German)};
    EXPECT_EQ(DateTimeToText(45000.0), "15.03.2023");
    EXPECT_EQ(DateTimeToText(45000.5), "15.03.2023 12:00:00");
    EXPECT_EQ(TimeToText(0.5), "12:00:00");
    EXPECT_EQ(*TextToDateTime("15.03.2023"), 45000.0);
}

TEST(RegionalText, DaysBeforeTheEpochKeepTheirTimeOfDay) {
    test::DefaultLocale german{QLocale(QLocale::German)};
    EXPECT_EQ(DateTimeToText(-1.25), "29.12.1899 06:00:00");
    EXPECT_DOUBLE_EQ(*TextToDateTime("29.12.1899 06:00:00"), -1.25);
}

} // namespace
} // namespace zent
