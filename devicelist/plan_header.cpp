#include "devicelist/plan_header.h"

#include "devicelist/packed_row.h"
#include "devicelist/visible_text.h"

#include <QCryptographicHash>

#include <algorithm>
#include <limits>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

// Header text in a message: bounded, and shown as the table shows device text.
constexpr qsizetype ShownNameLength = 40;
constexpr qsizetype ShownColumns = 12;

QString columnLetters(qsizetype column)
{
    QString letters;
    for (qsizetype n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + char16_t((n - 1) % 26)));
    return letters;
}

QString shownName(const QString &name)
{
    const QString shown = visibleText(leadingPart(name, ShownNameLength).toString());
    return u'\'' + shown + (name.size() > ShownNameLength ? QString(PackedRow::Ellipsis) : QString()) + u'\'';
}

QString shownColumn(const QStringList &names, qsizetype column)
{
    return columnLetters(column) + u' ' + shownName(names[column]);
}

// "A 'x', B 'y'", at most ShownColumns of them, then how many more.
QString shownColumns(const QStringList &names, const QList<qsizetype> &columns)
{
    QStringList shown;
    for (qsizetype i = 0; i < std::min(columns.size(), ShownColumns); ++i)
        shown << shownColumn(names, columns[i]);
    if (columns.size() > ShownColumns)
        shown << u"and %1 more"_s.arg(columns.size() - ShownColumns);
    return shown.join(u", "_s);
}

} // namespace

QString PlanHeader::assign(const PlanColumns::Choice &choice)
{
    columns.fill(-1);
    QList<bool> taken(names.size(), false);
    for (int f = 0; f < PlanColumns::FieldCount; ++f) {
        const QString &chosen = choice.headers[f];
        if (chosen.isEmpty())
            continue;
        const auto at = std::find_if(names.cbegin(), names.cend(),
                                     [&chosen](const QString &name) { return PlanColumns::sameHeader(name, chosen); });
        if (at == names.cend())
            return chosen;
        columns[f] = at - names.cbegin();
        taken[columns[f]] = true;
    }
    std::array<int, PlanColumns::FieldCount> rank;
    rank.fill(std::numeric_limits<int>::max());
    for (qsizetype c = 0; c < names.size(); ++c) {
        const std::optional<PlanColumns::Recognised> known = PlanColumns::recognise(names[c]);
        if (taken[c] || !known || !known->field)
            continue;
        const int f = static_cast<int>(*known->field);
        if (choice.headers[f].isEmpty() && known->rank < rank[f]) {
            rank[f] = known->rank;
            columns[f] = c;
        }
    }
    found = std::any_of(PlanColumns::Identifiers.cbegin(), PlanColumns::Identifiers.cend(),
                        [this](Field field) { return column(field) >= 0; });
    return {};
}

QList<qsizetype> PlanHeader::ignoredColumns() const
{
    QList<qsizetype> ignored;
    for (qsizetype c = 0; c < names.size(); ++c) {
        if (names[c].trimmed().isEmpty() || std::find(columns.cbegin(), columns.cend(), c) != columns.cend())
            continue;
        const std::optional<PlanColumns::Recognised> known = PlanColumns::recognise(names[c]);
        if (!known || known->field)
            ignored << c;
    }
    return ignored;
}

QString PlanHeader::columnsText() const
{
    QStringList parts;
    for (int f = 0; f < PlanColumns::FieldCount; ++f) {
        if (columns[f] >= 0) {
            parts << u"%1 ← %2%3"_s.arg(PlanColumns::label(Field(f)), parts.isEmpty() ? u"column "_s : QString(),
                                         shownColumn(names, columns[f]));
        }
    }
    if (const QList<qsizetype> ignored = ignoredColumns(); !ignored.isEmpty())
        parts << u"ignored: "_s + shownColumns(names, ignored);
    return parts.join(u"; "_s);
}

QString PlanHeader::namesText() const
{
    QList<qsizetype> all(names.size());
    std::iota(all.begin(), all.end(), 0);
    return shownColumns(names, all);
}

QString PlanHeader::columnText(qsizetype column) const
{
    return shownColumn(names, column);
}

QString PlanHeader::delimiterText() const
{
    if (delimiter == u'\t')
        return u"tabs"_s;
    return delimiter == u';' ? u"semicolons"_s : u"commas"_s;
}

QString PlanHeader::fingerprint() const
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString &name : names) {
        hash.addData(name.trimmed().toUtf8());
        hash.addData(QByteArrayView("\x1f"));
    }
    return QString::fromLatin1(hash.result().toHex().left(16));
}

PlanHeader PlanHeader::find(CsvReader &reader, const PlanColumns::Choice &choice, QString *error)
{
    PlanHeader likeliest;
    QString missing;
    for (int searched = 0; searched < SearchedLines && !reader.atEnd();) {
        PlanHeader candidate;
        candidate.line = reader.line();
        candidate.delimiter = reader.likelyDelimiter();
        reader.setDelimiter(candidate.delimiter);
        std::optional<QStringList> cells = reader.next();
        if (!cells) {
            *error = CsvReader::atLine(candidate.line, reader.errorText());
            return {};
        }
        if (CsvReader::isBlank(*cells))
            continue;
        ++searched;
        candidate.names = std::move(*cells);
        const QString absent = candidate.assign(choice);
        if (absent.isEmpty() && candidate.found)
            return candidate;
        // A title has fewer cells than the header it stands above.
        if (candidate.names.size() > likeliest.names.size()) {
            likeliest = std::move(candidate);
            missing = absent;
        }
    }
    if (likeliest.line == 0) {
        *error = CsvReader::atLine(reader.line(), u"no column is named MAC address, serial number or IP address. "
                                          u"The file holds no text."_s);
        return likeliest;
    }
    const QString what = missing.isEmpty()
            ? u"no column is named MAC address, serial number or IP address."_s
            : u"no column is named %1, as chosen."_s.arg(shownName(missing));
    *error = CsvReader::atLine(likeliest.line, u"%1 Header found, split at %2: %3."_s.arg(
            what, likeliest.delimiterText(), likeliest.namesText()));
    return likeliest;
}
