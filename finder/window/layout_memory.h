#pragma once

class DeviceSorting;
class DeviceTable;
class QHeaderView;
class QWidget;

// The window's layout as the user left it, kept with QSettings between runs:
// the window's geometry, the columns' widths, order and visibility (the
// optional origin columns included), and the sort column and order. Nothing saved means the designed layout.
class LayoutMemory
{
public:
    LayoutMemory(QWidget &window, QHeaderView &header, DeviceSorting &sorting, DeviceTable &table);

    // Restores what save() kept; false, changing nothing, if nothing was kept.
    bool restore() const;
    void save() const;
    void forget() const;

private:
    QWidget &m_window;
    QHeaderView &m_header;
    DeviceSorting &m_sorting;
    DeviceTable &m_table;
};
