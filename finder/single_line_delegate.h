#pragma once

#include <QStyledItemDelegate>

// Draws each cell on one line. Replies end their values with the line break
// that followed them; drawn as is, that break would push the text up and
// elide it. The model keeps the exact text for copying and screen readers.
class SingleLineDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant &value, const QLocale &locale) const override;
};
