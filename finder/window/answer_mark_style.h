#pragma once

#include <QIcon>

class QModelIndex;
class QStyleOptionViewItem;

// How the grid shows the table's answer marks (DeviceRoles::AnswerKinds): a
// tint over every cell of a repeated or conflicting row and, for an address
// conflict, a warning glyph beside the IP address; a reply from another
// subnet (DeviceRoles::OtherSubnet) has a struck-through circle there.
class AnswerMarkStyle
{
public:
    void apply(QStyleOptionViewItem &option, const QModelIndex &index) const;

private:
    mutable QIcon m_conflictGlyph;  // drawn on first use
    mutable QIcon m_otherSubnetGlyph;
};
