#include "finder/window/single_line_delegate.h"

#include "devicelist/visible_text.h"
#include "finder/window/plain_tool_tip.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

using namespace Qt::StringLiterals;

QString SingleLineDelegate::displayText(const QVariant &value, const QLocale &locale) const
{
    return visibleText(QStyledItemDelegate::displayText(value, locale));
}

void SingleLineDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // Addresses, serials and versions read left to right whatever letters
    // a device puts in them.
    option->direction = Qt::LeftToRight;
    m_markStyle.apply(*option, index);
}

int SingleLineDelegate::textPadding(const QWidget *widget)
{
    const QStyle *const style = widget ? widget->style() : QApplication::style();
    return 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1) + 1;
}

QString SingleLineDelegate::toolTip(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QString note = index.data(Qt::ToolTipRole).toString();
    const int needed = cell.fontMetrics.horizontalAdvance(cell.text) + textPadding(cell.widget);
    if (needed <= cell.rect.width() && note.isEmpty())
        return {};
    return note.isEmpty() ? cell.text : cell.text + u'\n' + note;
}

bool SingleLineDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                   const QModelIndex &index)
{
    if (!event || !view || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString text = toolTip(option, index);
    if (text.isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), plainToolTip(text), view->viewport(), option.rect);
    return true;
}
