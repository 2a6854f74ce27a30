#include "framework/RegionalText.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <cmath>
#include <limits>

namespace zent {

namespace {

constexpr qint64 kMsecsPerDay = 86400000;

const QDate& DateZero() {
    static const QDate zero(1899, 12, 30);
    return zero;
}

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Qt's short formats often carry two-digit years, which would not read back to the same date.
QString ShortDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QStringLiteral("yyyy")))
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return format;
}

// The time zone names of Qt's long formats cannot be read back; the values carry none anyway.
QString LongTimeFormat(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        result += c;
    }
    return result.simplified();
}

struct DateAndTime {
    QDate Date;
    QTime Time;
};

std::optional<DateAndTime> Decode(TDateTime value) {
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return std::nullopt;
    const double days = std::trunc(value);
    qint64 msecs = std::llround(std::fabs(value - days) * kMsecsPerDay);
    if (msecs >= kMsecsPerDay)
        msecs = kMsecsPerDay - 1;
    return DateAndTime{DateZero().addDays(static_cast<qint64>(days)),
                       QTime::fromMSecsSinceStartOfDay(static_cast<int>(msecs))};
}

TDateTime EncodeDate(const QDate& date) {
    return static_cast<TDateTime>(DateZero().daysTo(date));
}

TDateTime EncodeTime(const QTime& time) {
    return static_cast<TDateTime>(time.msecsSinceStartOfDay()) / kMsecsPerDay;
}

QString DateText(const QLocale& locale, const QDate& date) {
    return locale.toString(date, ShortDateFormat(locale));
}

QString TimeText(const QLocale& locale, const QTime& time) {
    return locale.toString(time, LongTimeFormat(locale));
}

std::optional<TDateTime> ParseDate(const QLocale& locale, const QString& text) {
    const QDate date = locale.toDate(text, ShortDateFormat(locale));
    if (!date.isValid())
        return std::nullopt;
    return EncodeDate(date);
}

TDateTime Combine(TDateTime date, TDateTime time) {
    return date < 0 ? date - time : date + time;
}

} // namespace

std::string FloatToText(double value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', kFloatTextDigits).toStdString();
}

std::optional<double> TextToFloat(std::string_view text) {
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(ToQString(text).trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::string DateToText(TDateTime value) {
    const auto decoded = Decode(value);
    return decoded ? DateText(QLocale(), decoded->Date).toStdString() : std::string{};
}

std::optional<TDateTime> TextToDate(std::string_view text) {
    return ParseDate(QLocale(), ToQString(text).trimmed());
}

std::string TimeToText(TDateTime value) {
    const auto decoded = Decode(value);
    return decoded ? TimeText(QLocale(), decoded->Time).toStdString() : std::string{};
}

std::optional<TDateTime> TextToTime(std::string_view text) {
    const QLocale locale;
    const QTime time = locale.toTime(ToQString(text).trimmed(), LongTimeFormat(locale));
    if (!time.isValid())
        return std::nullopt;
    return EncodeTime(time);
}

std::string DateTimeToText(TDateTime value) {
    const auto decoded = Decode(value);
    if (!decoded)
        return {};
    const QLocale locale;
    QString text = DateText(locale, decoded->Date);
    const QTime& time = decoded->Time;
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0)
        text += QLatin1Char(' ') + TimeText(locale, time);
    return text.toStdString();
}

std::optional<TDateTime> TextToDateTime(std::string_view text) {
    const QLocale locale;
    const QString trimmed = ToQString(text).trimmed();
    const QDateTime dateTime = locale.toDateTime(
        trimmed, ShortDateFormat(locale) + QLatin1Char(' ') + LongTimeFormat(locale));
    if (dateTime.isValid())
        return Combine(EncodeDate(dateTime.date()), EncodeTime(dateTime.time()));
    return ParseDate(locale, trimmed);
}

std::optional<std::int32_t> TextToInteger(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int base = 10;
    if (pos < text.size() && text[pos] == '$') {
        base = 16;
        ++pos;
    } else if (pos + 1 < text.size() && text[pos] == '0' &&
               (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos == text.size())
        return std::nullopt;
    const std::uint64_t limit = base == 16 ? std::numeric_limits<std::uint32_t>::max()
                                : negative ? std::uint64_t{1} << 31
                                           : (std::uint64_t{1} << 31) - 1;
    std::uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (value > limit)
            return std::nullopt;
    }
    // Two's complement arithmetic on the unsigned value gives both the sign and the wrap-around.
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    if (negative)
        bits = ~bits + 1;
    return static_cast<std::int32_t>(bits);
}

} // namespace zent
