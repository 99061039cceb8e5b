#include "devicelist/prometheus_exposition.h"

#include "devicelist/packed_row.h"
#include "devicelist/visible_text.h"

#include <QLocale>

using namespace Qt::StringLiterals;

void PrometheusExposition::addGauge(const QString &name, const QString &help)
{
    m_metric = name;
    m_series.clear();
    m_text += u"# HELP %1 %2\n# TYPE %1 gauge\n"_s.arg(name, help);
}

bool PrometheusExposition::addSample(double value, const Labels &labels)
{
    QString series = m_metric;
    if (!labels.isEmpty()) {
        series += u'{';
        for (qsizetype i = 0; i < labels.size(); ++i) {
            if (i > 0)
                series += u',';
            series += labels[i].first + u"=\""_s + labelValue(labels[i].second) + u'"';
        }
        series += u'}';
    }
    if (m_series.contains(series))
        return false;
    // Shortest exact decimal, never an exponent or a group separator.
    m_text += series + u' ' + QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest) + u'\n';
    m_series.insert(series);
    return true;
}

QString PrometheusExposition::labelValue(QStringView value)
{
    // Nothing a device sent reaches a label as a control: a line feed stays
    // (escaped below); other controls, line separators, bidi and zero-width
    // characters and the like, which could disguise an alert's text, go.
    const QString kept = withEscapes(value, [](char32_t code) { return code == '\n' ? u"\n"_s : QString(); });
    QString out;
    for (const QChar c : PackedRow::bounded(kept)) {
        switch (c.unicode()) {
        case u'\\': out += u"\\\\"_s; break;
        case u'"': out += u"\\\""_s; break;
        case u'\n': out += u"\\n"_s; break;
        default: out += c;
        }
    }
    return out;
}
