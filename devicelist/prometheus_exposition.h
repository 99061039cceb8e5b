#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringView>

#include <utility>

// Prometheus's text exposition format, as node exporter's textfile collector
// reads it: each metric's # HELP and # TYPE lines, then its samples. Metric
// and label names are the program's own; label values may be any device text
// and are made safe here, so no value can end a sample, add a label or
// start a series of its own.
class PrometheusExposition
{
public:
    // Label name and value; values are made safe when written.
    using Labels = QList<std::pair<QString, QString>>;

    // Starts a gauge (a scan's figures are each the scan's own, never a
    // running total): the samples added after it are its own.
    void addGauge(const QString &name, const QString &help);
    // Values that differ only in what labelValue() leaves out would make
    // two equal series, which the format forbids: the later one is dropped
    // and false returned.
    bool addSample(double value, const Labels &labels = {});

    QByteArray text() const { return m_text.toUtf8(); }

    // A label value as the format wants it: backslash, double quote and line
    // feed escaped, every other control character left out, and at most
    // PackedRow::MaxCellLength characters, then an ellipsis.
    static QString labelValue(QStringView value);

private:
    QString m_metric;
    QSet<QString> m_series;   // of m_metric, as written
    QString m_text;
};
