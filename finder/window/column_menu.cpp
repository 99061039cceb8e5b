#include "finder/window/column_menu.h"

#include "devicelist/device_table.h"

#include <QAbstractProxyModel>
#include <QAction>
#include <QHeaderView>
#include <QMenu>

using namespace Qt::StringLiterals;

ColumnMenu::ColumnMenu(QHeaderView &header, QAction &resetLayout, DeviceTable &table)
    : QObject(&header)
    , m_header(header)
    , m_resetLayout(resetLayout)
    , m_table(table)
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
    // Not there yet: unchecked entries that bring them, while the header
    // shows the table.
    const auto *const proxy = qobject_cast<const QAbstractProxyModel *>(model);
    const bool table = (proxy ? proxy->sourceModel() : model) == &m_table;
    if (table && !m_table.originColumnsShown()) {
        for (int origin = 0; origin < DeviceTable::OriginColumnCount; ++origin) {
            QAction *const action = m_menu->addAction(m_table.originHeaderText(DeviceTable::OriginColumn(origin)));
            action->setCheckable(true);
            connect(action, &QAction::toggled, this, [this, origin] { showOriginColumn(origin); });
        }
    }
    m_menu->addSeparator();
    m_menu->addAction(&m_resetLayout);
}

void ColumnMenu::showOriginColumn(int origin)
{
    // Both come in together; the one not asked for starts hidden.
    m_table.setOriginColumnsShown(true);
    const int first = m_table.columnCount() - DeviceTable::OriginColumnCount;
    for (int other = 0; other < DeviceTable::OriginColumnCount; ++other)
        m_header.setSectionHidden(first + other, other != origin);
}

void ColumnMenu::popup(const QPoint &pos)
{
    m_menu->popup(m_header.viewport()->mapToGlobal(pos));
}
