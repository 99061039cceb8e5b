#include "answer_marks.h"

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// Half-transparent, so the tint reads on light and dark palettes alike.
const QColor RepeatTint(255, 190, 0, 70);
const QColor ConflictTint(230, 30, 30, 80);

// A warning triangle with an exclamation mark: its shape, not its colour,
// tells a conflict apart.
QIcon drawConflictGlyph()
{
    constexpr int Size = 16;
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(250, 200, 0));
    painter.drawPolygon(QPolygonF({QPointF(Size / 2.0, 1), QPointF(Size - 1, Size - 1.5), QPointF(1, Size - 1.5)}));
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(QPointF(Size / 2.0, 5.5), QPointF(Size / 2.0, 10));
    painter.drawPoint(QPointF(Size / 2.0, 12.5));
    painter.end();
    return QIcon(pixmap);
}

} // namespace

void AnswerMarks::note(int row, const QString &ip, const QString &mac)
{
    ++m_answers;
    Mark mark;
    const auto knownMac = m_firstRowByMac.constFind(mac);
    if (knownMac != m_firstRowByMac.cend())
        mark.repeatsRow = *knownMac;
    else
        m_firstRowByMac.insert(mac, row);

    if (!ip.isEmpty()) {
        Address &address = m_byIp[ip];
        if (address.firstRow < 0) {
            address.firstRow = row;
            address.firstMac = mac;
        } else if (address.firstMac != mac) {
            mark.conflictsWithRow = address.firstRow;
            if (address.otherRow < 0)
                address.otherRow = row;
        } else if (address.otherRow >= 0) {
            mark.conflictsWithRow = address.otherRow;
        }
    }
    if (mark.isRepeat() || mark.isConflict())
        m_marks.insert(row, mark);
    else
        m_marks.remove(row);
}

void AnswerMarks::clear()
{
    m_firstRowByMac.clear();
    m_byIp.clear();
    m_marks.clear();
    m_answers = 0;
}

AnswerMarks::Mark AnswerMarks::mark(int row) const
{
    return m_marks.value(row);
}

QString AnswerMarks::toolTip(const Mark &mark) const
{
    // Rows are named as column # numbers them.
    QStringList lines;
    if (mark.isConflict()) {
        lines << tr("Address conflict: row %1 answered from the same IP address with another MAC address.")
                         .arg(mark.conflictsWithRow + 1);
    }
    if (mark.isRepeat())
        lines << tr("Repeated answer: row %1 has the same MAC address.").arg(mark.repeatsRow + 1);
    return lines.join(u'\n');
}

const QIcon &AnswerMarks::conflictGlyph() const
{
    if (m_conflictGlyph.isNull())
        m_conflictGlyph = drawConflictGlyph();
    return m_conflictGlyph;
}

QVariant AnswerMarks::data(int row, int column, int role) const
{
    if (m_marks.isEmpty())
        return {};
    const auto found = m_marks.constFind(row);
    if (found == m_marks.cend())
        return {};
    const Mark &mark = *found;
    switch (role) {
    case Qt::BackgroundRole:
        return QBrush(mark.isConflict() ? ConflictTint : RepeatTint);
    case Qt::ToolTipRole:
        return toolTip(mark);
    case Qt::DecorationRole:
        if (column == IpColumn && mark.isConflict())
            return conflictGlyph();
        return {};
    default:
        return {};
    }
}

QString answerCountToolTip(int answers, int devices)
{
    if (answers == 1 && devices == 1)
        return AnswerMarks::tr("1 answer from 1 device");
    if (devices == 1)
        return AnswerMarks::tr("%1 answers from 1 device").arg(answers);
    return AnswerMarks::tr("%1 answers from %2 devices").arg(answers).arg(devices);
}
