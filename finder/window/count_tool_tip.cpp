#include "finder/window/count_tool_tip.h"

#include "devicelist/answer_marks.h"

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
    return answerCountToolTip(m_marks.answers(), m_marks.devices());
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
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), tip, &m_label);
    }
    return true;
}
