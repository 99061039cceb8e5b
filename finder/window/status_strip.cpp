#include "finder/window/status_strip.h"

#include "finder/window/plain_tool_tip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QString toggleText(SiteRow::Status status, qsizetype count)
{
    const QString number = QLocale().toString(count);
    switch (status) {
    case SiteRow::Status::Answered: return StatusStrip::tr("Answered %1").arg(number);
    case SiteRow::Status::Missing: return StatusStrip::tr("Missing %1").arg(number);
    case SiteRow::Status::Unexpected: return StatusStrip::tr("Unexpected %1").arg(number);
    case SiteRow::Status::Differs: return StatusStrip::tr("Differs %1").arg(number);
    case SiteRow::Status::Gone: return StatusStrip::tr("Gone %1").arg(number);
    case SiteRow::Status::Back: return StatusStrip::tr("Back %1").arg(number);
    }
    return {};
}

} // namespace

StatusStrip::StatusStrip(QWidget *parent)
    : QWidget(parent)
    , m_summary(new QLabel(this))
{
    setObjectName(u"statusStrip"_s);
    auto *const toggles = new QHBoxLayout;
    toggles->setContentsMargins(0, 0, 0, 0);
    for (int s = 0; s < SiteRow::StatusCount; ++s) {
        const auto status = SiteRow::Status(s);
        auto *const toggle = new QToolButton(this);
        toggle->setObjectName(SiteRow::keyword(status) + u"Toggle"_s);
        toggle->setCheckable(true);
        toggle->setFocusPolicy(Qt::StrongFocus);
        toggle->setToolButtonStyle(Qt::ToolButtonTextOnly);
        toggle->setToolTip(tr("Show only the rows with this status; several may be on at once."));
        toggle->hide();
        connect(toggle, &QToolButton::toggled, this, [this] { emit checkedStatusesChanged(checkedStatuses()); });
        m_toggles[size_t(s)] = toggle;
        updateText(status);
    }
    m_summary->setObjectName(u"siteSummary"_s);
    m_summary->setTextFormat(Qt::PlainText);
    m_summary->setWordWrap(true);
    auto *const layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(toggles);
    layout->addWidget(m_summary);
    // Wrapped toggles would be a second strip; they stay in one row, and the
    // summary under them takes as many lines as it needs.
    toggles->setSpacing(4);
    for (QToolButton *const toggle : m_toggles)
        toggles->addWidget(toggle);
    toggles->addStretch();
}

void StatusStrip::setStatuses(const QList<SiteRow::Status> &statuses)
{
    auto *const toggles = static_cast<QHBoxLayout *>(layout()->itemAt(0)->layout());
    for (QToolButton *const toggle : m_toggles) {
        toggle->hide();
        toggles->removeWidget(toggle);
    }
    int position = 0;
    QWidget *previous = nullptr;
    for (const SiteRow::Status status : statuses) {
        QToolButton *const toggle = m_toggles[size_t(status)];
        toggles->insertWidget(position++, toggle);
        toggle->show();
        // Tab goes through them as they stand, left to right.
        if (previous)
            setTabOrder(previous, toggle);
        previous = toggle;
    }
    m_firstShown = statuses.isEmpty() ? nullptr : m_toggles[size_t(statuses.constFirst())];
    const QSignalBlocker blocker(this);
    for (QToolButton *const toggle : m_toggles) {
        if (toggle->isHidden())
            toggle->setChecked(false);
    }
}

void StatusStrip::setCounts(const Counts &counts)
{
    if (counts == m_counts)
        return;
    m_counts = counts;
    for (int s = 0; s < SiteRow::StatusCount; ++s)
        updateText(SiteRow::Status(s));
}

void StatusStrip::updateText(SiteRow::Status status)
{
    QToolButton *const toggle = m_toggles[size_t(status)];
    const QString text = toggleText(status, m_counts[size_t(status)]);
    if (toggle->text() == text)
        return;
    toggle->setText(text);
    toggle->setAccessibleName(text);
}

void StatusStrip::setSummary(const QString &summary)
{
    m_summary->setText(summary);
    m_summary->setVisible(!summary.isEmpty());
}

QString StatusStrip::summary() const
{
    return m_summary->text();
}

void StatusStrip::setSummaryNote(const QString &note)
{
    if (note == m_summaryNote)
        return;
    m_summaryNote = note;
    // A plan's header names are not markup either.
    m_summary->setToolTip(note.isEmpty() ? QString() : plainToolTip(note));
}

quint32 StatusStrip::checkedStatuses() const
{
    quint32 statuses = 0;
    for (int s = 0; s < SiteRow::StatusCount; ++s) {
        if (m_toggles[size_t(s)]->isChecked())
            statuses |= 1u << s;
    }
    return statuses;
}

void StatusStrip::uncheckAll()
{
    for (QToolButton *const toggle : m_toggles)
        toggle->setChecked(false);
}

StatusStrip::Counts StatusStrip::countsOf(const QList<SiteRow> &rows)
{
    Counts counts{};
    for (const SiteRow &row : rows)
        ++counts[size_t(row.status)];
    return counts;
}
