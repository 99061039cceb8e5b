#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QAction;
class QKeySequence;
class QMenu;
class QMessageBox;
class QPoint;
class QTableView;
class QUrl;

// What the user does with the devices the grid lists: open a device's web
// page, copy rows or single values, save the list as CSV. It makes the grid
// select whole rows, several at once, and gives it a context menu (mouse,
// Menu key or Shift+F10) and the keyboard shortcuts of these actions.
// Everything reads the grid's model, so it acts on the rows shown, in the
// order shown, whichever model the grid shows.
class DeviceActions : public QObject
{
    Q_OBJECT

public:
    explicit DeviceActions(QTableView &grid);

    // The grid's context menu; buildContextMenu() is the one place it is put together.
    QMenu *contextMenu() const { return m_menu; }

    // The page of the grid's current row; false, opening nothing, for a row
    // without an IP address.
    bool openCurrentWebPage(const QString &scheme = QStringLiteral("http"));
    bool openWebPage(int row, const QString &scheme = QStringLiteral("http"));
    // Selected rows in use, or the current one, tab-separated, one per line.
    void copyRows();
    void copyAll();
    void copyColumn(int column);
    // For a current row in another subnet: the command that lets this
    // computer reach it; empty otherwise.
    QString reachCommandForCurrent() const;
    void copyReachCommand();
    void saveList();
    // Writes the rows in use as CSV to path, all or nothing. Returns why it
    // failed, or an empty string.
    QString writeList(const QString &path) const;

    // http by default, as a double-click and Enter open it; https on request.
    static QUrl webPageUrl(const QString &ipAddress, const QString &scheme = QStringLiteral("http"));

    // While a filter hides rows, Copy all and Save say they take the rows shown.
    void setFiltered(bool filtered);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *newAction(const QString &text, const QKeySequence &shortcut, Qt::ShortcutContext context);
    void buildContextMenu();
    void showContextMenu(const QPoint &globalPos);
    void showContextMenuAtCurrentRow();
    void updateEnabled();
    void enableAll();
    void showSaveFailure(const QString &path, const QString &reason);

    bool rowInUse(int row) const;
    QList<int> actedOnRows() const;
    QList<int> rowsInUse() const;
    QStringList rowCells(int row) const;
    // The labels over rowCells().
    QStringList headerCells() const;

    QTableView &m_grid;
    QMenu *m_menu = nullptr;
    QAction *m_open = nullptr;
    QAction *m_openHttps = nullptr;
    QAction *m_copyIp = nullptr;
    QAction *m_copyMac = nullptr;
    QAction *m_copyReach = nullptr;
    QAction *m_copyRows = nullptr;
    QAction *m_copyAll = nullptr;
    QAction *m_save = nullptr;
    QPointer<QMessageBox> m_saveFailure;
    QString m_saveFolder;
    bool m_filtered = false;
};
