#pragma once

#include "finder/window/answer_mark_style.h"

#include <QStyledItemDelegate>

// Draws each cell on one line, left to right, with hidden characters shown
// (visibleText()). Replies end their values with the line break that
// followed them; drawn as is, that break would push the text up and elide
// it. The model keeps the exact text for screen readers; the clipboard
// and the listings write what is drawn here. Repeated and conflicting
// answers get their tint and glyph here.
class SingleLineDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant &value, const QLocale &locale) const override;
    // The cell's whole text when its column is too narrow for it, with the
    // model's note when the value was shortened; empty when neither.
    QString toolTip(const QStyleOptionViewItem &option, const QModelIndex &index) const;
    // Pixels a cell needs around its text: the style's margins and the grid line.
    static int textPadding(const QWidget *widget);

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    AnswerMarkStyle m_markStyle;
};
