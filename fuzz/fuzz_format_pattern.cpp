// The display pattern formatter on any value, in locales whose separators
// and signs are several characters long or not ASCII. Input: one byte picks
// the locale, one the pattern (one of the table's, or a fuzzed one that runs
// up to the first NUL byte); the rest is the value, read as a datagram is.

#include "discovery/datagram_text.h"
#include "devicelist/device_table.h"
#include "devicelist/display_pattern.h"
#include "fuzz/fuzz_check.h"

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

const std::array<QLocale, 6> &locales()
{
    static const std::array<QLocale, 6> all{
        QLocale::c(),
        QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::German, QLocale::Germany),
        QLocale(QLocale::French, QLocale::France),        // grouping: narrow no-break space
        QLocale(QLocale::Hindi, QLocale::India),          // grouping by 2 after the first 3
        QLocale(QLocale::Arabic, QLocale::Egypt),         // multi-character minus sign
    };
    return all;
}

const std::array<QString, 4> &tablePatterns()
{
    static const std::array<QString, 4> all{
        DeviceTable::displayPattern(DeviceTable::IpColumn),
        DeviceTable::displayPattern(DeviceTable::SerialColumn),
        DeviceTable::displayPattern(DeviceTable::MacColumn),
        DeviceTable::displayPattern(DeviceTable::VersionColumn),
    };
    return all;
}

// Only blanks, signs, digits and dots can make a number.
bool couldBeNumber(QStringView value)
{
    for (const QChar c : value) {
        if (!(c.unicode() >= u'0' && c.unicode() <= u'9') && !QStringView(u" \t\r\n+-.").contains(c))
            return false;
    }
    return true;
}

// Formatting a number inserts digits, signs and separators around the
// pattern's own characters, which all stay in order; the first "." becomes
// the locale's decimal point ("," may print nothing, so it is not looked for).
bool keepsPatternLiterals(QStringView formatted, QStringView pattern, const QLocale &locale)
{
    QString literals;
    bool decimalPointSeen = false;
    for (const QChar c : pattern) {
        if (c == u'#' || c == u',')
            continue;
        if (c == u'.' && !decimalPointSeen) {
            decimalPointSeen = true;
            literals += locale.decimalPoint();
        } else {
            literals += c;
        }
    }
    qsizetype at = 0;
    for (const QChar c : literals) {
        at = formatted.indexOf(c, at);
        if (at < 0)
            return false;
        ++at;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const QLocale &locale = locales()[data[0] % locales().size()];
    const std::size_t patternChoice = data[1] % (tablePatterns().size() + 1);
    QByteArray rest = QByteArray::fromRawData(reinterpret_cast<const char *>(data + 2),
                                              static_cast<qsizetype>(size - 2));
    QString pattern;
    if (patternChoice < tablePatterns().size()) {
        pattern = tablePatterns()[patternChoice];
    } else {
        const qsizetype end = rest.indexOf('\0');
        pattern = QString::fromUtf8(rest.first(end < 0 ? rest.size() : end));
        rest = end < 0 ? QByteArray() : rest.sliced(end + 1);
    }
    const QString value = decodeDatagram(rest);

    const QString formatted = formatPattern(value, pattern, locale);
    if (!couldBeNumber(value))
        FUZZ_CHECK(formatted == value);
    if (formatted != value)
        FUZZ_CHECK(keepsPatternLiterals(formatted, pattern, locale));
    return 0;
}
