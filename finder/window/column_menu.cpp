#include "column_menu.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>

using namespace Qt::StringLiterals;

ColumnMenu::ColumnMenu(QHeaderView &header, QAction &resetLayout)
    : QObject(&header)
    , m_header(header)
    , m_resetLayout(resetLayout)
    , m_menu(new QMenu(&header))
{
    m_menu->setObjectName(u"columnMenu"_s);
    // The header's own menu: the grid's device menu must not open here.
    m_header.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_header, &QWidget::customContextMenuRequested, this, &ColumnMenu::popup);
    connect(m_menu, &QMenu::aboutToShow, this, &ColumnMenu::rebuild);
}

void ColumnMenu::rebuild()
{
    m_menu->clear();
    const QAbstractItemModel *const model = m_header.model();
    const int shown = m_header.count() - m_header.hiddenSectionCount();
    for (int visual = 0; visual < m_header.count(); ++visual) {
        const int section = m_header.logicalIndex(visual);
        const QString title = model ? model->headerData(section, Qt::Horizontal).toString().trimmed() : QString();
        QAction *const action = m_menu->addAction(title.isEmpty() ? QString::number(section + 1) : title);
        action->setCheckable(true);
        action->setChecked(!m_header.isSectionHidden(section));
        action->setEnabled(m_header.isSectionHidden(section) || shown > 1);
        connect(action, &QAction::toggled, this, [this, section](bool on) { m_header.setSectionHidden(section, !on); });
    }
    m_menu->addSeparator();
    m_menu->addAction(&m_resetLayout);
}

void ColumnMenu::popup(const QPoint &pos)
{
    m_menu->popup(m_header.viewport()->mapToGlobal(pos));
}
