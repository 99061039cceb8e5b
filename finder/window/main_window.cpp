#include "finder/window/main_window.h"

#include "finder/window/column_menu.h"
#include "finder/window/column_widths.h"
#include "finder/window/count_label_text.h"
#include "finder/window/count_tool_tip.h"
#include "finder/window/device_actions.h"
#include "finder/window/device_sorting.h"
#include "finder/core/failure_message.h"
#include "finder/window/filter_bar.h"
#include "finder/window/layout_memory.h"
#include "finder/window/no_reply_placeholder.h"
#include "finder/window/icon_above_text_button.h"
#include "finder/window/interface_menu.h"
#include "finder/window/query_addresses_dialog.h"
#include "finder/window/single_line_delegate.h"
#include "finder/window/site_watch.h"
#include "finder/window/status_strip.h"
#include "finder/window/table_font.h"
#include "finder/window/window_layout.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTableView>

#include <algorithm>
#include <initializer_list>

using namespace Qt::StringLiterals;

namespace {

// The reply pane is never shown, and laying out its document costs more than
// the rest of a reply's handling: in a flood it follows the replies at most
// this often, with the last one.
constexpr int ReplyPaneDelayMs = 200;

QIcon finderIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128})
        icon.addFile(u":/veltrin-finder/icon-%1.png"_s.arg(size), QSize(size, size));
    return icon;
}

void place(QWidget *control, const WindowLayout::TwipRect &rect)
{
    control->setGeometry(rect.toPixels());
}

// Room for the frame and title bar a window manager adds around the client
// area, which is not known before the window is first shown.
QSize frameAllowance(const QWidget &window)
{
    const int border = window.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
    const int titleBar = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return {2 * border, titleBar + 2 * border};
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : MainWindow(DiscoveryEndpoint::Settings{}, parent)
{
}

MainWindow::MainWindow(const DiscoveryEndpoint::Settings &settings, QWidget *parent)
    : QWidget(parent)
    , m_endpoint(settings)
    , m_controller(*this, &m_table, m_endpoint)
{
    // The resources live in a static library; nothing else references them.
    Q_INIT_RESOURCE(finder_resources);

    setObjectName(u"VUDArido"_s);
    setWindowTitle(u"Veltrin(V 1.0)"_s);
    setWindowIcon(finderIcon());
    // The designed size first; the table takes what the window gains.
    setMinimumSize(WindowLayout::MinimumClientArea);
    resize(WindowLayout::ClientArea);

    createControls();

    m_replyPaneTimer.setSingleShot(true);
    m_replyPaneTimer.setInterval(ReplyPaneDelayMs);
    connect(&m_replyPaneTimer, &QTimer::timeout, this, &MainWindow::updateReplyPane);

    // A refresh takes the interfaces up now, then shows the table again,
    // unless a plan is compared: the comparison goes on with what answers.
    m_siteWatch = new SiteWatch(m_controller, m_table, *m_sorting, *m_grid, *m_foundDevice);
    connect(m_siteWatch, &SiteWatch::stripChanged, this, [this] {
        layoutControls();
        // The toggles come after Refresh in the tab order.
        if (QWidget *const toggle = m_siteWatch->statusStrip()->firstToggle())
            setTabOrder(m_refresh, toggle);
    });
    auto *const interfaceMenu = new InterfaceMenu(m_endpoint, *m_deviceActions->contextMenu());
    interfaceMenu->apply();
    connect(m_refresh, &QAbstractButton::clicked, interfaceMenu, &InterfaceMenu::apply);
    connect(m_refresh, &QAbstractButton::clicked, m_siteWatch, &SiteWatch::beforeRefresh);
    connect(m_refresh, &QAbstractButton::clicked, &m_controller, &FinderController::refresh);
    connect(&m_endpoint, &DiscoveryEndpoint::datagramsArrived, &m_controller,
            &FinderController::onDatagrams);

    // Column widths follow the header texts and the table's font.
    connect(&m_table, &QAbstractItemModel::headerDataChanged, this, &MainWindow::applyColumnWidths);

    addContextActions(*interfaceMenu);

    auto *const resetLayout = new QAction(tr("Reset &layout"), this);
    resetLayout->setObjectName(u"resetLayoutAction"_s);
    addAction(resetLayout);
    connect(resetLayout, &QAction::triggered, this, &MainWindow::resetLayout);
    new ColumnMenu(*m_grid->horizontalHeader(), *resetLayout, m_table);

    // The window's load: header and first refresh happen before it shows.
    m_controller.start();

    m_layoutMemory = std::make_unique<LayoutMemory>(*this, *m_grid->horizontalHeader(), *m_sorting, m_table);
    if (!m_layoutMemory->restore())
        fitToScreen();
}

MainWindow::~MainWindow() = default;

void MainWindow::addContextActions(InterfaceMenu &interfaceMenu)
{
    // Devices behind a router, from the table's context menu or Ctrl+T.
    auto *const query = new QAction(tr("&Query addresses\u2026"), this);
    query->setObjectName(u"queryAddressesAction"_s);
    query->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    query->setShortcutContext(Qt::WindowShortcut);
    addAction(query);
    connect(query, &QAction::triggered, this, &MainWindow::queryAddresses);
    QMenu *const menu = m_deviceActions->contextMenu();
    menu->addSeparator();
    menu->addAction(query);
    menu->addSeparator();
    menu->addActions(m_siteWatch->actions());
    // The broadcast's interfaces: a change asks again through them.
    menu->addSeparator();
    menu->addMenu(interfaceMenu.menu());
    connect(&interfaceMenu, &InterfaceMenu::changed, m_refresh, &QAbstractButton::click);
}

void MainWindow::fitToScreen()
{
    const QScreen *const screen = this->screen();
    if (!screen)
        return;
    // Scaled up on a small screen the designed size may not fit: the window
    // then opens as large as the screen allows.
    const QRect available = screen->availableGeometry();
    const QSize room = (available.size() - frameAllowance(*this)).expandedTo(minimumSize());
    resize(size().boundedTo(room));
    QRect frame(QPoint(), size() + frameAllowance(*this));
    frame.moveCenter(available.center());
    move(frame.topLeft().x(), std::max(frame.top(), available.top()));
}

void MainWindow::resetLayout()
{
    m_layoutMemory->forget();
    m_table.setOriginColumnsShown(false);
    QHeaderView *const header = m_grid->horizontalHeader();
    for (int section = 0; section < header->count(); ++section) {
        header->showSection(section);
        header->moveSection(header->visualIndex(section), section);
    }
    applyColumnWidths();
    m_sorting->showArrivalOrder();
    showNormal();
    resize(WindowLayout::ClientArea);
    fitToScreen();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    layoutControls();
    QWidget::resizeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The table's layout is the one kept; the site view keeps its own.
    m_siteWatch->leave();
    m_layoutMemory->save();
    QWidget::closeEvent(event);
}

void MainWindow::layoutControls()
{
    using namespace WindowLayout;
    if (!m_filterBar)
        return;  // resized before the controls exist
    const QSize client = size();
    QRect grid = anchored(Grid.toPixels(), Stretched, client);
    // Watching or comparing, the status strip takes the grid's top, as
    // high as its wrapped summary needs at this width.
    if (m_siteWatch && m_siteWatch->isShown()) {
        StatusStrip *const strip = m_siteWatch->statusStrip();
        const int height = strip->hasHeightForWidth() ? strip->heightForWidth(grid.width())
                                                      : strip->sizeHint().height();
        strip->setGeometry(grid.left(), grid.top(), grid.width(), height);
        grid.setTop(grid.top() + height);
    }
    m_grid->setGeometry(grid);
    m_refresh->setGeometry(anchored(RefreshButton.toPixels(), TopRight, client));
    QRect count = anchored(m_countLabelRect, BottomLeft, client);
    count.setRight(std::min(count.right(), client.width() - 1));
    m_foundDevice->setGeometry(count);
    m_filterBar->field()->setGeometry(anchored(FilterField.toPixels(), BottomRight, client));
    m_filterBar->shownCount()->setGeometry(anchored(ShownCount.toPixels(), BottomRight, client));
}

void MainWindow::createControls()
{
    createGrid();

    m_refresh = new IconAboveTextButton(this);
    m_refresh->setObjectName(u"cmdRefresh"_s);
    m_refresh->setText(u"&Refresh"_s);
    m_refresh->setIcon(windowIcon());
    m_refresh->setIconSize(QSize(32, 32));
    auto *const refreshKey = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(refreshKey, &QShortcut::activated, m_refresh, &QAbstractButton::animateClick);

    createTrafficPanes();
    createCountLabel();
    m_filterBar = new FilterBar(*this, *m_grid, *m_sorting);
    connect(m_sorting, &DeviceSorting::shownRowsChanged, m_deviceActions,
            [this] { m_deviceActions->setFiltered(m_sorting->isFiltering()); });
    layoutControls();

    // The grid comes first in the tab order and has the focus at start-up;
    // the labels take no focus.
    setTabOrder(m_grid, m_filterBar->field());
    setTabOrder(m_filterBar->field(), m_refresh);
    setTabOrder(m_refresh, m_replyPane);
    setTabOrder(m_replyPane, m_requestPane);
    m_grid->setFocus();
}

void MainWindow::createGrid()
{
    m_grid = new QTableView(this);
    m_grid->setObjectName(u"MSFlexGrid1"_s);
    m_grid->setAccessibleName(u"Found devices"_s);
    const QFont gridFont = tableFont(WindowLayout::GridPointSize);
    m_grid->setFont(gridFont);
    m_sorting = showSorted(*m_grid, m_table);
    m_deviceActions = new DeviceActions(*m_grid);
    m_noReplyPlaceholder = new NoReplyPlaceholder(m_grid->viewport());
    m_grid->setItemDelegate(new SingleLineDelegate(m_grid));
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    // A bold header for the current column would no longer fit its width.
    m_grid->horizontalHeader()->setHighlightSections(false);
    // The sort arrow takes the room of a header's trailing spaces: cut, not
    // elided, so no ellipsis shows after the words.
    m_grid->horizontalHeader()->setTextElideMode(Qt::ElideNone);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setWordWrap(false);
    // Cells are cut at their edge; eliding measured every cell again on
    // each repaint.
    m_grid->setTextElideMode(Qt::ElideNone);
    // Tab leaves the table for the filter and Refresh; arrows move in it.
    m_grid->setTabKeyNavigation(false);
    m_grid->horizontalHeader()->setSectionsMovable(true);
}

void MainWindow::createTrafficPanes()
{
    m_replyPane = new QPlainTextEdit(u"Text1"_s, this);
    m_replyPane->setObjectName(u"Text1"_s);
    m_replyPane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_replyPane->setAccessibleName(u"Last reply received"_s);
    place(m_replyPane, WindowLayout::ReplyPane);

    m_requestPane = new QLineEdit(u"Text2"_s, this);
    m_requestPane->setObjectName(u"Text2"_s);
    m_requestPane->setAccessibleName(u"Last request sent"_s);
    place(m_requestPane, WindowLayout::RequestPane);

    auto *const requestCaption = new QLabel(u"PC-->DEVICE"_s, this);
    requestCaption->setObjectName(u"Label1"_s);
    place(requestCaption, WindowLayout::RequestCaption);

    auto *const replyCaption = new QLabel(u"DEVICE-->PC"_s, this);
    replyCaption->setObjectName(u"Label2"_s);
    place(replyCaption, WindowLayout::ReplyCaption);

    // Kept up to date but never shown.
    for (QWidget *const hidden : std::initializer_list<QWidget *>{requestCaption, m_requestPane, replyCaption,
                                                                  m_replyPane}) {
        hidden->hide();
    }
}

void MainWindow::createCountLabel()
{
    m_foundDevice = new QLabel(u"0 device found"_s, this);
    m_foundDevice->setObjectName(u"tFoundDevice"_s);
    m_foundDevice->setTextFormat(Qt::PlainText);
    m_foundDevice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_foundDevice->setFont(tableFont(WindowLayout::CountLabelPointSize));
    m_foundDevice->setAccessibleDescription(u"Devices found since the last refresh"_s);
    fitCountLabel();
    new CountToolTip(*m_foundDevice, m_table.answerMarks());
}

void MainWindow::applyColumnWidths()
{
    // Each column takes its header text whole and the widest value of its
    // kind, both in the font the grid really got. The user may still drag a
    // divider, or double-click it to fit the column to its contents.
    QHeaderView *const header = m_grid->horizontalHeader();
    const QFontMetrics metrics = m_grid->fontMetrics();
    const int padding = SingleLineDelegate::textPadding(m_grid);
    const QList<int> headerWidths = headerSectionWidths(*header);
    for (int column = 0; column < m_table.columnCount(); ++column) {
        const int values = widestValueWidth(metrics, column);
        header->resizeSection(column, std::max(headerWidths.value(column), values ? values + padding : 0));
    }
}

void MainWindow::fitCountLabel()
{
    // The designed rectangle is too narrow for a five-digit count in some
    // fonts; the label then grows to the right, into the free strip under
    // the table, never past the window.
    const QFontMetrics metrics = m_foundDevice->fontMetrics();
    const QMargins margins = m_foundDevice->contentsMargins();
    QStringList counts{countLabelText(DeviceRecord::MaxDevices)};
    for (int digit = 0; digit <= 9; ++digit)
        counts << countLabelText(digit * 11111);
    int text = 0;
    for (const QString &count : counts)
        text = std::max({text, metrics.horizontalAdvance(count), metrics.boundingRect(count).width()});
    QRect rect = WindowLayout::CountLabel.toPixels();
    const int needed = text + margins.left() + margins.right() + 2 * m_foundDevice->margin();
    rect.setWidth(std::clamp(needed, rect.width(), WindowLayout::ClientArea.width() - rect.left()));
    m_countLabelRect = rect;
}

void MainWindow::resultsCleared()
{
    m_countLabelDue = false;
    m_foundDevice->clear();
}

void MainWindow::requestSent(const QString &request)
{
    m_requestPane->setText(request);
}

void MainWindow::datagramHandled(const QString &text, int foundCount)
{
    // Datagrams come in rounds, and nothing is drawn before a round ends:
    // the label takes the round's last count once, after it, rather than
    // laying itself out and telling screen readers about every datagram.
    m_pendingCount = foundCount;
    if (!m_countLabelDue) {
        m_countLabelDue = true;
        QMetaObject::invokeMethod(this, &MainWindow::updateCountLabel, Qt::QueuedConnection);
    }
    m_pendingReply = text;
    if (!m_replyPaneTimer.isActive())
        m_replyPaneTimer.start();
}

void MainWindow::updateCountLabel()
{
    // A refresh since the datagram has emptied the label already.
    if (!m_countLabelDue)
        return;
    m_countLabelDue = false;
    m_foundDevice->setText(countLabelText(m_pendingCount));
}

void MainWindow::updateReplyPane()
{
    m_replyPane->setPlainText(m_pendingReply);
}

void MainWindow::reportFailure(const EndpointError &error)
{
    const QString message = failureMessage(error, QCoreApplication::applicationFilePath());
    // Queued: a failure during start-up is shown over the visible window,
    // and the handler that met it finishes first.
    QMetaObject::invokeMethod(this, [this, message] { showFailure(message); }, Qt::QueuedConnection);
}

void MainWindow::showNoReplyHint(const QStringList &routes)
{
    m_noReplyPlaceholder->showRoutes(routes);
}

void MainWindow::hideNoReplyHint()
{
    m_noReplyPlaceholder->hide();
}

void MainWindow::showFailure(const QString &message)
{
    if (!m_failureBox) {
        m_failureBox = new QMessageBox(QMessageBox::Warning, windowTitle(), QString(), QMessageBox::Ok, this);
        m_failureBox->setObjectName(u"failureDialog"_s);
        m_failureBox->setTextFormat(Qt::PlainText);
        m_failureBox->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_failureBox->setText(message);
    // Window-modal but not blocking: the event loop, and the window behind
    // it, keep running.
    m_failureBox->open();
}

void MainWindow::reportWarning(const EndpointError &error)
{
    showWarning(warningMessage(error));
}

void MainWindow::resultsFull(qint64 dropped)
{
    // Once a refresh: the table shows nothing of the replies it drops.
    if (dropped == 1) {
        showWarning(tr("The table is full: it holds %1 replies, the most it can. Later replies are not "
                       "shown until the next refresh.").arg(DeviceRecord::MaxDevices));
    }
}

void MainWindow::showWarning(const QString &message)
{
    // Not modal: the results keep coming in behind it. Several warnings of
    // one refresh share the box.
    if (m_warningBox && m_warningBox->isVisible()) {
        m_warningBox->setText(m_warningBox->text() + u"\n\n"_s + message);
        return;
    }
    if (!m_warningBox) {
        m_warningBox = new QMessageBox(QMessageBox::Information, windowTitle(), QString(), QMessageBox::Ok, this);
        m_warningBox->setObjectName(u"warningDialog"_s);
        m_warningBox->setTextFormat(Qt::PlainText);
        m_warningBox->setWindowModality(Qt::NonModal);
        m_warningBox->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_warningBox->setText(message);
    m_warningBox->show();
}

void MainWindow::queryAddresses()
{
    auto *const dialog = new QueryAddressesDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        m_siteWatch->leave();
        m_controller.query(dialog->targets());
    });
    dialog->open();
}
