#pragma once

#include <QColor>
#include <QIcon>

class QPalette;

class QModelIndex;
class QStyleOptionViewItem;

// How the grid shows the table's answer marks (DeviceRoles::AnswerKinds): a
// tint over every cell of a repeated or conflicting row and, for an address
// conflict, a warning glyph beside the IP address; a reply from another
// subnet (DeviceRoles::OtherSubnet) has a struck-through circle there. A
// row that needs a look in the site view (DeviceRoles::Attention: a station
// missing, a device gone) has a tint, text that keeps its contrast on it,
// and a circle with a bar beside its status.
class AnswerMarkStyle
{
public:
    // WCAG 2's least contrast for text.
    static constexpr double MinTextContrast = 4.5;

    void apply(QStyleOptionViewItem &option, const QModelIndex &index) const;

    // WCAG 2's contrast ratio of two opaque colours, 1 to 21.
    static double contrastRatio(const QColor &a, const QColor &b);
    // What an attention row's cells are drawn on, and in, with this palette.
    static QColor attentionBackground(const QPalette &palette);
    static QColor attentionText(const QPalette &palette);

private:
    mutable QIcon m_conflictGlyph;  // drawn on first use
    mutable QIcon m_otherSubnetGlyph;
    mutable QIcon m_absentGlyph;
};
