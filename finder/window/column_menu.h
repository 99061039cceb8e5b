#pragma once

#include <QObject>

class DeviceTable;
class QAction;
class QHeaderView;
class QMenu;
class QPoint;

// The header's context menu: a check box per column to show or hide it, the
// table's optional origin columns (interface, time of reply) while they are
// not there, and the window's Reset layout. The last column shown cannot be
// hidden.
class ColumnMenu : public QObject
{
    Q_OBJECT

public:
    ColumnMenu(QHeaderView &header, QAction &resetLayout, DeviceTable &table);

    QMenu *menu() const { return m_menu; }

private:
    void rebuild();
    void popup(const QPoint &pos);
    void showOriginColumn(int origin);

    QHeaderView &m_header;
    QAction &m_resetLayout;
    DeviceTable &m_table;
    QMenu *m_menu;
};
