#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <vector>

// Statistics over samples in ns.
namespace bench_stats {
std::int64_t percentile(std::vector<std::int64_t> samples, double fraction);
inline std::int64_t median(const std::vector<std::int64_t> &samples) { return percentile(samples, 0.5); }
QString ms(std::int64_t ns);
QString us(double ns);
QString count(qint64 n);
QString perSecond(double rate);
QString mib(qint64 bytes);
} // namespace bench_stats

// The benchmark's one table: a row per measurement, the finder and the bare
// receiver side by side, the target and whether it was met.
class BenchTable
{
public:
    enum class Verdict { None, Met, Missed };

    void addRow(const QString &measurement, const QString &finder, const QString &bare,
                const QString &target, Verdict verdict);
    bool allMet() const;
    QString toText() const;

private:
    struct Row
    {
        QString cells[5];
    };
    QList<Row> m_rows;
    bool m_missed = false;
};
