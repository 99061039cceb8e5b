#pragma once

#include <QObject>

class QAction;
class QHeaderView;
class QMenu;
class QPoint;

// The header's context menu: a check box per column to show or hide it, and
// the window's Reset layout. The last column shown cannot be hidden.
class ColumnMenu : public QObject
{
    Q_OBJECT

public:
    ColumnMenu(QHeaderView &header, QAction &resetLayout);

    QMenu *menu() const { return m_menu; }

private:
    void rebuild();
    void popup(const QPoint &pos);

    QHeaderView &m_header;
    QAction &m_resetLayout;
    QMenu *m_menu;
};
