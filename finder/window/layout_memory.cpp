#include "finder/window/layout_memory.h"

#include "finder/window/device_sorting.h"
#include "devicelist/device_table.h"

#include <QHeaderView>
#include <QSettings>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

const auto Group = u"layout"_s;
const auto GeometryKey = u"geometry"_s;
const auto HeaderKey = u"header"_s;
const auto SortColumnKey = u"sortColumn"_s;
const auto SortOrderKey = u"sortDescending"_s;
const auto OriginColumnsKey = u"originColumns"_s;

} // namespace

LayoutMemory::LayoutMemory(QWidget &window, QHeaderView &header, DeviceSorting &sorting, DeviceTable &table)
    : m_window(window)
    , m_header(header)
    , m_sorting(sorting)
    , m_table(table)
{
}

bool LayoutMemory::restore() const
{
    QSettings settings;
    settings.beginGroup(Group);
    if (!settings.contains(GeometryKey))
        return false;
    // restoreGeometry() keeps the window on a screen that is there now.
    m_window.restoreGeometry(settings.value(GeometryKey).toByteArray());
    // The header's state counts the columns, so they are there first.
    m_table.setOriginColumnsShown(settings.value(OriginColumnsKey, false).toBool());
    const QByteArray header = settings.value(HeaderKey).toByteArray();
    if (!header.isEmpty())
        m_header.restoreState(header);
    // A column that no longer exists, or hidden ones only, would leave the
    // grid without a column to show.
    if (m_header.hiddenSectionCount() >= m_header.count()) {
        for (int section = 0; section < m_header.count(); ++section)
            m_header.showSection(section);
    }
    const int column = settings.value(SortColumnKey, -1).toInt();
    if (column >= 0 && column < m_header.count())
        m_sorting.sortBy(column, settings.value(SortOrderKey).toBool() ? Qt::DescendingOrder : Qt::AscendingOrder);
    return true;
}

void LayoutMemory::save() const
{
    QSettings settings;
    settings.beginGroup(Group);
    settings.setValue(GeometryKey, m_window.saveGeometry());
    settings.setValue(HeaderKey, m_header.saveState());
    settings.setValue(OriginColumnsKey, m_table.originColumnsShown());
    settings.setValue(SortColumnKey, m_sorting.sortColumn());
    settings.setValue(SortOrderKey, m_sorting.sortOrder() == Qt::DescendingOrder);
}

void LayoutMemory::forget() const
{
    QSettings().remove(Group);
}
