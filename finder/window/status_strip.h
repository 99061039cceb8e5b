#pragma once

#include "devicelist/site_row.h"

#include <QList>
#include <QWidget>

#include <array>

class QLabel;
class QToolButton;

// Over the grid while watching or comparing: one toggle per status with its
// count ("Missing 20"), which narrows the rows to the statuses checked, and
// the summary beneath, wrapped rather than cut when the window is narrow.
class StatusStrip : public QWidget
{
    Q_OBJECT

public:
    using Counts = std::array<qsizetype, SiteRow::StatusCount>;

    explicit StatusStrip(QWidget *parent = nullptr);

    // The toggles of these statuses show, in this order; the others are hidden and unchecked.
    void setStatuses(const QList<SiteRow::Status> &statuses);
    void setCounts(const Counts &counts);
    void setSummary(const QString &summary);
    QString summary() const;
    // The summary's tooltip, plain text: the columns of the plan compared.
    void setSummaryNote(const QString &note);
    QString summaryNote() const { return m_summaryNote; }
    // Bits of SiteRow::Status checked; 0 for none.
    quint32 checkedStatuses() const;
    void uncheckAll();
    QToolButton *toggle(SiteRow::Status status) const { return m_toggles[size_t(status)]; }
    // The leftmost toggle shown, where Tab enters the strip.
    QWidget *firstToggle() const { return m_firstShown; }

    static Counts countsOf(const QList<SiteRow> &rows);

signals:
    void checkedStatusesChanged(quint32 statuses);

private:
    void updateText(SiteRow::Status status);

    std::array<QToolButton *, SiteRow::StatusCount> m_toggles{};
    Counts m_counts{};
    QLabel *m_summary;
    QString m_summaryNote;
    QWidget *m_firstShown = nullptr;
};
