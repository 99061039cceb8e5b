#include "answer_mark_style.h"

#include "answer_marks.h"
#include "device_table.h"

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QStyleOptionViewItem>

namespace {

// Half-transparent, so the tint reads on light and dark palettes alike.
constexpr QColor RepeatTint(255, 190, 0, 70);
constexpr QColor ConflictTint(230, 30, 30, 80);

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

// A circle struck through: no route from here. Its shape differs from the
// conflict's triangle, so neither needs colour to be told apart.
QIcon drawOtherSubnetGlyph()
{
    constexpr int Size = 16;
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(1.5, 1.5, Size - 3, Size - 3));
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(QPointF(4, 12), QPointF(12, 4));
    painter.end();
    return QIcon(pixmap);
}

} // namespace

void AnswerMarkStyle::apply(QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.column() == DeviceTable::IpColumn && index.data(DeviceTable::OtherSubnetRole).toBool()) {
        if (m_otherSubnetGlyph.isNull())
            m_otherSubnetGlyph = drawOtherSubnetGlyph();
        option.features |= QStyleOptionViewItem::HasDecoration;
        option.icon = m_otherSubnetGlyph;
        option.decorationSize = m_otherSubnetGlyph.actualSize(option.decorationSize);
    }
    const int kinds = index.data(AnswerMarks::KindsRole).toInt();
    if (kinds == 0)
        return;
    const bool conflict = kinds & AnswerMarks::Conflict;
    option.backgroundBrush = QBrush(conflict ? ConflictTint : RepeatTint);
    if (!conflict || index.column() != DeviceTable::IpColumn)
        return;
    if (m_conflictGlyph.isNull())
        m_conflictGlyph = drawConflictGlyph();
    option.features |= QStyleOptionViewItem::HasDecoration;
    option.icon = m_conflictGlyph;
    option.decorationSize = m_conflictGlyph.actualSize(option.decorationSize);
}
