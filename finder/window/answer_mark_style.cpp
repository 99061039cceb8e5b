#include "finder/window/answer_mark_style.h"

#include "devicelist/answer_marks.h"
#include "devicelist/device_table.h"
#include "finder/window/site_view_model.h"

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPolygonF>
#include <QStyleOptionViewItem>

#include <cmath>

namespace {

// Half-transparent, so the tint reads on light and dark palettes alike.
constexpr QColor RepeatTint(255, 190, 0, 70);
constexpr QColor ConflictTint(230, 30, 30, 80);
constexpr QColor AttentionTint(255, 120, 0, 60);

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

// A white circle with a black bar across it, from one point to another.
QIcon drawBarredCircle(QPointF from, QPointF to)
{
    return drawGlyph([from, to](QPainter &painter) {
        constexpr double Size = GlyphSize;
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRectF(1.5, 1.5, Size - 3, Size - 3));
        painter.setPen(QPen(Qt::black, 2));
        painter.drawLine(from, to);
    });
}

// A circle struck through: no route from here. Its shape differs from the
// conflict's triangle, so neither needs colour to be told apart.
QIcon drawOtherSubnetGlyph()
{
    return drawBarredCircle(QPointF(4, 12), QPointF(12, 4));
}

// A circle with a level bar: nobody there, told apart from the struck-through
// circle by the bar's angle, and beside the status's text.
QIcon drawAbsentGlyph()
{
    return drawBarredCircle(QPointF(4.5, GlyphSize / 2.0), QPointF(GlyphSize - 4.5, GlyphSize / 2.0));
}

double luminance(const QColor &color)
{
    const auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) + 0.0722 * channel(color.blueF());
}

// tint laid over an opaque colour.
QColor blended(const QColor &tint, const QColor &base)
{
    const double a = tint.alphaF();
    return QColor::fromRgbF(float(tint.redF() * a + base.redF() * (1 - a)),
                            float(tint.greenF() * a + base.greenF() * (1 - a)),
                            float(tint.blueF() * a + base.blueF() * (1 - a)));
}

} // namespace

double AnswerMarkStyle::contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor AnswerMarkStyle::attentionBackground(const QPalette &palette)
{
    return blended(AttentionTint, palette.color(QPalette::Active, QPalette::Base));
}

QColor AnswerMarkStyle::attentionText(const QPalette &palette)
{
    const QColor background = attentionBackground(palette);
    const QColor text = palette.color(QPalette::Active, QPalette::Text);
    if (contrastRatio(text, background) >= MinTextContrast)
        return text;
    return contrastRatio(Qt::black, background) >= contrastRatio(Qt::white, background) ? QColor(Qt::black)
                                                                                        : QColor(Qt::white);
}

void AnswerMarkStyle::apply(QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.column() == DeviceTable::IpColumn && index.data(DeviceRoles::OtherSubnet).toBool()) {
        if (m_otherSubnetGlyph.isNull())
            m_otherSubnetGlyph = drawOtherSubnetGlyph();
        option.features |= QStyleOptionViewItem::HasDecoration;
        option.icon = m_otherSubnetGlyph;
        option.decorationSize = m_otherSubnetGlyph.actualSize(option.decorationSize);
    }
    if (index.data(DeviceRoles::Attention).toBool()) {
        option.backgroundBrush = QBrush(attentionBackground(option.palette));
        option.palette.setColor(QPalette::Text, attentionText(option.palette));
        if (index.column() == SiteViewModel::StatusColumn) {
            if (m_absentGlyph.isNull())
                m_absentGlyph = drawAbsentGlyph();
            option.features |= QStyleOptionViewItem::HasDecoration;
            option.icon = m_absentGlyph;
            option.decorationSize = m_absentGlyph.actualSize(option.decorationSize);
        }
        return;
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
