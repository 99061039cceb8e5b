#include "bench_report.h"

#include <QLocale>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace bench_stats {

std::int64_t percentile(std::vector<std::int64_t> samples, double fraction)
{
    if (samples.empty())
        return 0;
    const auto at = static_cast<std::size_t>(fraction * double(samples.size() - 1) + 0.5);
    std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(at), samples.end());
    return samples[at];
}

QString ms(std::int64_t ns)
{
    return u"%1 ms"_s.arg(double(ns) / 1e6, 0, 'f', 1);
}

QString us(double ns)
{
    return u"%1 µs"_s.arg(ns / 1e3, 0, 'f', 1);
}

QString count(qint64 n)
{
    return QLocale(QLocale::English).toString(n);
}

QString perSecond(double rate)
{
    return u"%1/s"_s.arg(count(qRound64(rate / 100) * 100));
}

QString mib(qint64 bytes)
{
    return u"%1 MiB"_s.arg(double(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

} // namespace bench_stats

void BenchTable::addRow(const QString &measurement, const QString &finder, const QString &bare,
                        const QString &target, Verdict verdict)
{
    const QString result = verdict == Verdict::Met ? u"met"_s : verdict == Verdict::Missed ? u"MISSED"_s : u"-"_s;
    m_rows.append(Row{{measurement, finder, bare, target, result}});
    m_missed = m_missed || verdict == Verdict::Missed;
}

bool BenchTable::allMet() const
{
    return !m_missed;
}

QString BenchTable::toText() const
{
    const Row header{{u"Measurement"_s, u"Finder"_s, u"Bare receiver"_s, u"Target"_s, u"Verdict"_s}};
    std::array<qsizetype, 5> widths{};
    for (const Row &row : m_rows + QList<Row>{header}) {
        for (std::size_t c = 0; c < widths.size(); ++c)
            widths[c] = std::max(widths[c], row.cells[c].size());
    }
    const auto line = [&](const Row &row) {
        QString text = u"|"_s;
        for (std::size_t c = 0; c < widths.size(); ++c)
            text += u' ' + row.cells[c].leftJustified(widths[c]) + u" |"_s;
        return text + u'\n';
    };
    QString text = line(header) + u'|';
    for (const qsizetype width : widths)
        text += QString(width + 2, u'-') + u'|';
    text += u'\n';
    for (const Row &row : m_rows)
        text += line(row);
    return text;
}
