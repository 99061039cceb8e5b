#pragma once

#include <QObject>
#include <QTimer>

class DeviceSorting;
class QAbstractItemModel;
class QLabel;
class QLineEdit;
class QTableView;
class QWidget;

// The filter under the table and, beside it, "showing X of Y" while it is
// set. Ctrl+F takes the focus to it, Esc empties it. The count label beside
// them keeps counting every device found.
class FilterBar : public QObject
{
    Q_OBJECT

public:
    FilterBar(QWidget &window, QTableView &grid, QAbstractItemModel &table, DeviceSorting &sorting);

    QLineEdit *field() const { return m_field; }
    QLabel *shownCount() const { return m_shownCount; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateShownCount();

    QTableView &m_grid;
    QAbstractItemModel &m_table;
    DeviceSorting &m_sorting;
    QLineEdit *m_field;
    QLabel *m_shownCount;
    // Replies arrive by the thousand; the count follows them a few times a second.
    QTimer m_countTimer;
};
