#include "finder/window/answer_mark_style.h"

#include "devicelist/answer_marks.h"
#include "devicelist/device_table.h"

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

constexpr int GlyphSize = 16;

// A glyph in black outline on a transparent square; draw() adds the shape.
template<typename Draw>
QIcon drawGlyph(const Draw &draw)
{
    QPixmap pixmap(GlyphSize, GlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    draw(painter);
    painter.end();
    return QIcon(pixmap);
}

// A warning triangle with an exclamation mark: its shape, not its colour,
// tells a conflict apart.
QIcon drawConflictGlyph()
{
    return drawGlyph([](QPainter &painter) {
        constexpr double Size = GlyphSize;
        painter.setBrush(QColor(250, 200, 0));
        painter.drawPolygon(QPolygonF({QPointF(Size / 2, 1), QPointF(Size - 1, Size - 1.5), QPointF(1, Size - 1.5)}));
        painter.setPen(QPen(Qt::black, 2));
        painter.drawLine(QPointF(Size / 2, 5.5), QPointF(Size / 2, 10));
        painter.drawPoint(QPointF(Size / 2, 12.5));
    });
}

// A circle struck through: no route from here. Its shape differs from the
// conflict's triangle, so neither needs colour to be told apart.
QIcon drawOtherSubnetGlyph()
{
    return drawGlyph([](QPainter &painter) {
        constexpr double Size = GlyphSize;
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRectF(1.5, 1.5, Size - 3, Size - 3));
        painter.setPen(QPen(Qt::black, 2));
        painter.drawLine(QPointF(4, 12), QPointF(12, 4));
    });
}

} // namespace

void AnswerMarkStyle::apply(QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.column() == DeviceTable::IpColumn && index.data(DeviceRoles::OtherSubnet).toBool()) {
        if (m_otherSubnetGlyph.isNull())
            m_otherSubnetGlyph = drawOtherSubnetGlyph();
        option.features |= QStyleOptionViewItem::HasDecoration;
        option.icon = m_otherSubnetGlyph;
        option.decorationSize = m_otherSubnetGlyph.actualSize(option.decorationSize);
    }
    const int kinds = index.data(DeviceRoles::AnswerKinds).toInt();
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
