#include "devicelist/display_pattern.h"

#include <QVarLengthArray>

#include <algorithm>
#include <optional>

namespace {

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

struct Number
{
    bool negative = false;
    QStringView integer;   // leading zeros included
    QStringView fraction;
};

// Device text is not localized, so the input decimal point is always ".".
// Anything beyond blanks, one sign, digits and one "." with digits after it
// makes the value text rather than a number: dotted versions and addresses,
// MACs, grouping, exponents and the like.
std::optional<Number> parseNumber(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin].unicode()))
        ++begin;
    while (end > begin && isBlank(text[end - 1].unicode()))
        --end;

    Number number;
    qsizetype i = begin;
    if (i < end && (text[i] == u'-' || text[i] == u'+')) {
        number.negative = text[i] == u'-';
        ++i;
    }
    const qsizetype integerStart = i;
    while (i < end && isDigit(text[i].unicode()))
        ++i;
    number.integer = text.sliced(integerStart, i - integerStart);
    if (i < end && text[i] == u'.') {
        const qsizetype fractionStart = ++i;
        while (i < end && isDigit(text[i].unicode()))
            ++i;
        if (i == fractionStart)
            return std::nullopt;
        number.fraction = text.sliced(fractionStart, i - fractionStart);
    }
    if (i != end || (number.integer.isEmpty() && number.fraction.isEmpty()))
        return std::nullopt;
    return number;
}

struct PatternShape
{
    qsizetype decimalPoint = -1;  // index of the first ".", -1 when none
    qsizetype integerSlots = 0;
    qsizetype fractionSlots = 0;
    bool grouping = false;
};

PatternShape shapeOf(QStringView pattern)
{
    PatternShape shape;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const char16_t c = pattern[i].unicode();
        const bool inFraction = shape.decimalPoint >= 0;
        if (c == u'#')
            ++(inFraction ? shape.fractionSlots : shape.integerSlots);
        else if (c == u',' && !inFraction)
            shape.grouping = true;
        else if (c == u'.' && !inFraction)
            shape.decimalPoint = i;
    }
    return shape;
}

// Significant digits only: no leading integer zeros, no trailing fraction
// zeros. The integer digits come first, the fraction digits after them.
struct Digits
{
    QVarLengthArray<char16_t, 64> digits;
    qsizetype integerLength = 0;

    qsizetype fractionLength() const { return digits.size() - integerLength; }
    bool isZero() const { return digits.isEmpty(); }
};

// Rounds half up at the last fraction slot on the digits themselves, so no
// digit is lost to a double.
Digits roundToSlots(const Number &number, qsizetype fractionSlots)
{
    QStringView integer = number.integer;
    while (!integer.isEmpty() && integer.front() == u'0')
        integer = integer.sliced(1);
    const QStringView kept = number.fraction.first(std::min(fractionSlots, number.fraction.size()));

    Digits out;
    out.digits.append(integer.utf16(), integer.size());
    out.digits.append(kept.utf16(), kept.size());
    out.integerLength = integer.size();

    if (number.fraction.size() > fractionSlots && number.fraction[fractionSlots] >= u'5') {
        qsizetype i = out.digits.size();
        while (i > 0 && out.digits[i - 1] == u'9')
            out.digits[--i] = u'0';
        if (i > 0) {
            ++out.digits[i - 1];
        } else {
            out.digits.insert(out.digits.begin(), u'1');
            ++out.integerLength;
        }
    }

    qsizetype end = out.digits.size();
    while (end > out.integerLength && out.digits[end - 1] == u'0')
        --end;
    out.digits.resize(end);
    return out;
}

} // namespace

QString formatPattern(const QString &value, const QString &pattern, const QLocale &locale)
{
    const std::optional<Number> number = parseNumber(value);
    if (!number)
        return value;

    const PatternShape shape = shapeOf(pattern);
    const Digits digits = roundToSlots(*number, shape.fractionSlots);
    // A value that shows no digit shows no sign either.
    const bool negative = number->negative && !digits.isZero();

    // Built in a stack buffer and copied once: appending to a QString char
    // by char costs more than the rest of the formatting.
    QVarLengthArray<char16_t, 128> out;
    const auto write = [&out](QStringView text) { out.append(text.utf16(), text.size()); };
    const QString groupSeparator = shape.grouping ? locale.groupSeparator() : QString();
    // Digits [from, to) of the integer part; a group separator follows every
    // digit that has a multiple of three digits to its right.
    const auto writeIntegerDigits = [&](qsizetype from, qsizetype to) {
        for (qsizetype d = std::max<qsizetype>(from, 0); d < to; ++d) {
            out.append(digits.digits[d]);
            const qsizetype right = digits.integerLength - 1 - d;
            if (shape.grouping && right > 0 && right % 3 == 0)
                write(groupSeparator);
        }
    };

    // Integer digits beyond the slots all go to the leftmost slot; with no
    // integer slot at all they stand where the integer section ends.
    const qsizetype spill = digits.integerLength - shape.integerSlots;
    const qsizetype integerEnd = shape.decimalPoint >= 0 ? shape.decimalPoint : pattern.size();
    qsizetype slot = 0;
    qsizetype fractionSlot = 0;
    for (qsizetype i = 0; i <= pattern.size(); ++i) {
        if (i == integerEnd && shape.integerSlots == 0) {
            if (negative)
                write(locale.negativeSign());
            writeIntegerDigits(0, digits.integerLength);
        }
        if (i == pattern.size())
            break;
        const QChar c = pattern[i];
        if (c == u',')
            continue;
        if (i == integerEnd) {
            write(locale.decimalPoint());
        } else if (c != u'#') {
            out.append(c.unicode());
        } else if (i < integerEnd) {
            if (slot == 0 && negative)
                write(locale.negativeSign());
            writeIntegerDigits(slot == 0 ? 0 : slot + spill, slot + spill + 1);
            ++slot;
        } else {
            if (fractionSlot < digits.fractionLength())
                out.append(digits.digits[digits.integerLength + fractionSlot]);
            ++fractionSlot;
        }
    }
    return QString(reinterpret_cast<const QChar *>(out.constData()), out.size());
}
