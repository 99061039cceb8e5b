#include "finder/window/device_actions.h"

#include "devicelist/device_export.h"
#include "devicelist/device_table.h"
#include "devicelist/reach_command.h"
#include "devicelist/visible_text.h"
#include "finder/window/whole_file.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHostAddress>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTableView>
#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Spreadsheet programs read a CSV file without it in the system's legacy
// code page, which garbles every description that is not ASCII.
constexpr char Utf8ByteOrderMark[] = "\xEF\xBB\xBF";

} // namespace

DeviceActions::DeviceActions(QTableView &grid)
    : QObject(&grid)
    , m_grid(grid)
{
    m_grid.setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid.setSelectionMode(QAbstractItemView::ExtendedSelection);

    m_open = newAction(tr("&Open web page"), {}, Qt::WidgetShortcut);
    m_openHttps = newAction(tr("Open web page over HTT&PS"), {}, Qt::WidgetShortcut);
    m_copyIp = newAction(tr("Copy &IP address"), {}, Qt::WidgetShortcut);
    m_copyMac = newAction(tr("Copy &MAC address"), {}, Qt::WidgetShortcut);
    m_copyReach = newAction(tr("Copy command to &reach it"), {}, Qt::WidgetShortcut);
    // The grid's own Ctrl+C copies one cell; this shortcut overrides it.
    m_copyRows = newAction(tr("&Copy row(s)"), QKeySequence::Copy, Qt::WidgetWithChildrenShortcut);
    m_copyAll = newAction(tr("Copy &all"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), Qt::WindowShortcut);
    m_save = newAction(tr("&Save list…"), QKeySequence(Qt::CTRL | Qt::Key_S), Qt::WindowShortcut);
    connect(m_open, &QAction::triggered, this, [this] { openCurrentWebPage(); });
    connect(m_openHttps, &QAction::triggered, this, [this] { openCurrentWebPage(u"https"_s); });
    connect(m_copyIp, &QAction::triggered, this, [this] { copyColumn(DeviceTable::IpColumn); });
    connect(m_copyMac, &QAction::triggered, this, [this] { copyColumn(DeviceTable::MacColumn); });
    connect(m_copyReach, &QAction::triggered, this, &DeviceActions::copyReachCommand);
    connect(m_copyRows, &QAction::triggered, this, &DeviceActions::copyRows);
    connect(m_copyAll, &QAction::triggered, this, &DeviceActions::copyAll);
    connect(m_save, &QAction::triggered, this, &DeviceActions::saveList);
    buildContextMenu();

    // A double-click opens the page; Enter, the Menu key and Shift+F10 are
    // taken in eventFilter(), mouse context menus arrive at the viewport.
    connect(&m_grid, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &index) { openWebPage(index.row()); });
    m_grid.installEventFilter(this);
    m_grid.viewport()->installEventFilter(this);
}

QAction *DeviceActions::newAction(const QString &text, const QKeySequence &shortcut, Qt::ShortcutContext context)
{
    auto *const action = new QAction(text, this);
    action->setShortcut(shortcut);
    action->setShortcutContext(context);
    // Shortcuts work only for actions added to a widget.
    m_grid.addAction(action);
    return action;
}

void DeviceActions::buildContextMenu()
{
    m_menu = new QMenu(&m_grid);
    m_menu->setObjectName(u"deviceContextMenu"_s);
    m_menu->addAction(m_open);
    m_menu->addAction(m_openHttps);
    m_menu->addSeparator();
    m_menu->addAction(m_copyIp);
    m_menu->addAction(m_copyMac);
    m_menu->addAction(m_copyReach);
    m_menu->addAction(m_copyRows);
    m_menu->addAction(m_copyAll);
    m_menu->addSeparator();
    m_menu->addAction(m_save);
    m_menu->setDefaultAction(m_open);
    // Disabled only while the menu shows, so the shortcuts always reach their handlers.
    connect(m_menu, &QMenu::aboutToShow, this, &DeviceActions::updateEnabled);
    connect(m_menu, &QMenu::aboutToHide, this, &DeviceActions::enableAll);
}

bool DeviceActions::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu) {
        auto *const menuEvent = static_cast<QContextMenuEvent *>(event);
        if (menuEvent->reason() == QContextMenuEvent::Keyboard)
            showContextMenuAtCurrentRow();
        else
            showContextMenu(menuEvent->globalPos());
        return true;
    }
    if (watched == &m_grid && event->type() == QEvent::KeyPress) {
        const auto *const key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
            openCurrentWebPage();
            return true;
        }
        // The Menu key reaches us as a context menu event; Shift+F10 does not.
        if (key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier) {
            showContextMenuAtCurrentRow();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void DeviceActions::showContextMenu(const QPoint &globalPos)
{
    m_menu->popup(globalPos);
}

void DeviceActions::showContextMenuAtCurrentRow()
{
    const QModelIndex current = m_grid.currentIndex();
    const QRect cellRect = current.isValid() ? m_grid.visualRect(current) : QRect();
    const QPoint corner = cellRect.isValid() ? cellRect.bottomLeft() : QPoint(0, 0);
    showContextMenu(m_grid.viewport()->mapToGlobal(corner));
}

void DeviceActions::setFiltered(bool filtered)
{
    m_filtered = filtered;
    m_copyAll->setText(filtered ? tr("Copy &all shown") : tr("Copy &all"));
    m_save->setText(filtered ? tr("&Save shown list…") : tr("&Save list…"));
}

void DeviceActions::updateEnabled()
{
    const bool current = rowInUse(m_grid.currentIndex().row());
    const bool any = !rowsInUse().isEmpty();
    m_open->setEnabled(current);
    m_openHttps->setEnabled(current);
    m_copyIp->setEnabled(!actedOnRows().isEmpty());
    m_copyMac->setEnabled(m_copyIp->isEnabled());
    m_copyReach->setEnabled(!reachCommandForCurrent().isEmpty());
    m_copyRows->setEnabled(m_copyIp->isEnabled());
    m_copyAll->setEnabled(any);
    m_save->setEnabled(any);
}

void DeviceActions::enableAll()
{
    for (QAction *const action : m_menu->actions())
        action->setEnabled(true);
}

bool DeviceActions::rowInUse(int row) const
{
    const QAbstractItemModel *const model = m_grid.model();
    return row >= 0 && row < model->rowCount() && DeviceTable::isInUse(model->index(row, 0));
}

QList<int> DeviceActions::actedOnRows() const
{
    QList<int> rows;
    const QModelIndexList selected = m_grid.selectionModel()->selectedRows();
    for (const QModelIndex &index : selected) {
        if (rowInUse(index.row()))
            rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    if (rows.isEmpty() && rowInUse(m_grid.currentIndex().row()))
        rows << m_grid.currentIndex().row();
    return rows;
}

QList<int> DeviceActions::rowsInUse() const
{
    QList<int> rows;
    const int count = m_grid.model()->rowCount();
    for (int row = 0; row < count; ++row) {
        if (rowInUse(row))
            rows << row;
    }
    return rows;
}

QStringList DeviceActions::rowCells(int row) const
{
    const QAbstractItemModel *const model = m_grid.model();
    // A model with columns of its own (the site view's) gives its row whole.
    if (const QVariant cells = model->index(row, 0).data(DeviceRoles::ExportCells); cells.isValid())
        return cells.toStringList();
    QStringList cells;
    for (int column = 0; column < model->columnCount(); ++column) {
        // Exports keep the table's columns, whatever else is shown.
        if (!DeviceTable::isOriginColumn(*model, column))
            cells << model->index(row, column).data(DeviceRoles::ReceivedText).toString();
    }
    return cells;
}

QStringList DeviceActions::headerCells() const
{
    const QVariant labels = m_grid.model()->headerData(0, Qt::Horizontal, DeviceRoles::ExportCells);
    return labels.isValid() ? labels.toStringList() : DeviceExport::headerLabels();
}

QUrl DeviceActions::webPageUrl(const QString &ipAddress, const QString &scheme)
{
    const QHostAddress address(DeviceExport::withoutTrailingLineBreaks(ipAddress).trimmed());
    if (address.isNull())
        return {};
    QUrl url;
    url.setScheme(scheme);
    url.setHost(address.toString());
    url.setPath(u"/"_s);
    return url.isValid() ? url : QUrl();
}

bool DeviceActions::openCurrentWebPage(const QString &scheme)
{
    return openWebPage(m_grid.currentIndex().row(), scheme);
}

bool DeviceActions::openWebPage(int row, const QString &scheme)
{
    if (!rowInUse(row))
        return false;
    const QUrl url = webPageUrl(m_grid.model()->index(row, DeviceTable::IpColumn).data().toString(), scheme);
    return !url.isEmpty() && QDesktopServices::openUrl(url);
}

void DeviceActions::copyRows()
{
    QList<QStringList> rows;
    for (const int row : actedOnRows())
        rows << rowCells(row);
    if (!rows.isEmpty())
        QGuiApplication::clipboard()->setText(DeviceExport::toTabSeparated(rows, false));
}

void DeviceActions::copyAll()
{
    QList<QStringList> rows{headerCells()};
    for (const int row : rowsInUse())
        rows << rowCells(row);
    QGuiApplication::clipboard()->setText(DeviceExport::toTabSeparated(rows, false));
}

void DeviceActions::copyColumn(int column)
{
    // One value per line, as the table draws it; a single value has no line
    // break, so it pastes into an address bar or a form field as it is.
    QStringList values;
    for (const int row : actedOnRows())
        values << visibleText(DeviceExport::withoutTrailingLineBreaks(
                m_grid.model()->index(row, column).data(DeviceRoles::ReceivedText).toString()));
    if (!values.isEmpty())
        QGuiApplication::clipboard()->setText(values.join(u'\n'));
}

QString DeviceActions::reachCommandForCurrent() const
{
    const QModelIndex current = m_grid.currentIndex();
    if (!rowInUse(current.row()) || !current.data(DeviceRoles::OtherSubnet).toBool())
        return {};
    const QAbstractItemModel *const model = m_grid.model();
    const auto ipOf = [model](int row) {
        return model->index(row, DeviceTable::IpColumn).data(DeviceRoles::ReceivedText).toString();
    };
    QStringList taken;
    for (const int row : rowsInUse())
        taken << ipOf(row);
    return reachCommand(ipOf(current.row()), current.data(DeviceRoles::Interface).toString(), taken);
}

void DeviceActions::copyReachCommand()
{
    if (const QString command = reachCommandForCurrent(); !command.isEmpty())
        QGuiApplication::clipboard()->setText(command);
}

QString DeviceActions::writeList(const QString &path) const
{
    QList<QStringList> rows;
    for (const int row : rowsInUse())
        rows << rowCells(row);
    QByteArray bytes(Utf8ByteOrderMark);
    bytes += DeviceExport::toCsv({headerCells()}, false) + DeviceExport::toCsv(rows, false);
    return writeWholeFile(path, bytes);
}

void DeviceActions::saveList()
{
    if (m_saveFolder.isEmpty()) {
        m_saveFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (m_saveFolder.isEmpty() || !QDir(m_saveFolder).exists())
            m_saveFolder = QDir::homePath();
    }
    const QString proposed = u"veltrin-devices-%1.csv"_s.arg(QDate::currentDate().toString(Qt::ISODate));

    QFileDialog dialog(m_grid.window(), m_filtered ? tr("Save shown list") : tr("Save list"));
    dialog.setObjectName(u"saveListDialog"_s);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({tr("CSV files (*.csv)"), tr("All files (*)")});
    dialog.setDefaultSuffix(u"csv"_s);
    dialog.setDirectory(m_saveFolder);
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;

    const QString path = dialog.selectedFiles().constFirst();
    m_saveFolder = QFileInfo(path).absolutePath();
    const QString failure = writeList(path);
    if (!failure.isEmpty())
        showSaveFailure(path, failure);
}

void DeviceActions::showSaveFailure(const QString &path, const QString &reason)
{
    if (!m_saveFailure) {
        m_saveFailure = new QMessageBox(QMessageBox::Warning, tr("Save list"), QString(), QMessageBox::Ok,
                                        m_grid.window());
        m_saveFailure->setObjectName(u"saveFailureDialog"_s);
        m_saveFailure->setTextFormat(Qt::PlainText);
        m_saveFailure->setAttribute(Qt::WA_DeleteOnClose);
    }
    // One plain-text label: the path and the system's reason are shown as they are.
    m_saveFailure->setText(tr("The list could not be saved as %1.").arg(QDir::toNativeSeparators(path))
                           + u"\n\n"_s + tr("Reason: %1").arg(reason.isEmpty() ? tr("unknown") : reason));
    // Window-modal but not blocking: replies keep arriving behind it.
    m_saveFailure->open();
}
