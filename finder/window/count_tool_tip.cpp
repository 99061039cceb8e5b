#include "finder/window/count_tool_tip.h"

#include "devicelist/answer_marks.h"
#include "finder/window/plain_tool_tip.h"

#include <QHelpEvent>
#include <QLabel>
#include <QToolTip>

CountToolTip::CountToolTip(QLabel &label, const AnswerMarks &marks)
    : QObject(&label)
    , m_label(label)
    , m_marks(marks)
{
    m_label.installEventFilter(this);
}

QString CountToolTip::text() const
{
    if (m_label.text().isEmpty())
        return {};
    const QString count = answerCountToolTip(m_marks.answers(), m_marks.devices());
    return m_note.isEmpty() ? count : m_note + u'\n' + count;
}

bool CountToolTip::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &m_label || event->type() != QEvent::ToolTip)
        return QObject::eventFilter(watched, event);
    const QString tip = text();
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        // A plan's header names are not markup either.
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), m_note.isEmpty() ? tip : plainToolTip(tip),
                           &m_label);
    }
    return true;
}
