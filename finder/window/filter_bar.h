#pragma once

#include <QObject>
#include <QTimer>

class DeviceSorting;
class QAbstractItemModel;
class QLabel;
class QLineEdit;
class QTableView;
class QWidget;

// The filter under the table and, beside it, "showing X of Y" while it or
// a status toggle hides rows of the model shown. Ctrl+F takes the focus to it, Esc empties it. The count label beside
// them keeps counting every device found.
class FilterBar : public QObject
{
    Q_OBJECT

public:
    FilterBar(QWidget &window, QTableView &grid, DeviceSorting &sorting);

    QLineEdit *field() const { return m_field; }
    QLabel *shownCount() const { return m_shownCount; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateShownCount();
    // The model shown changed: its filter text, and its changes to follow.
    void followShownModel();

    QTableView &m_grid;
    DeviceSorting &m_sorting;
    QList<QMetaObject::Connection> m_modelConnections;
    QLineEdit *m_field;
    QLabel *m_shownCount;
    // Replies arrive by the thousand; the count follows them a few times a second.
    QTimer m_countTimer;
};
