#include "finder/window/filter_bar.h"

#include "finder/window/device_sorting.h"
#include "devicelist/device_table.h"
#include "finder/window/table_font.h"
#include "finder/window/window_layout.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

constexpr int CountDelayMs = 100;
// Longer filters find nothing a shorter part of them would not.
constexpr int MaxFilterLength = 256;

} // namespace

FilterBar::FilterBar(QWidget &window, QTableView &grid, DeviceSorting &sorting)
    : QObject(&window)
    , m_grid(grid)
    , m_sorting(sorting)
    , m_field(new QLineEdit(&window))
    , m_shownCount(new QLabel(&window))
{
    m_field->setObjectName(u"filterField"_s);
    m_field->setPlaceholderText(tr("Filter (Ctrl+F)"));
    m_field->setAccessibleName(tr("Filter devices"));
    m_field->setToolTip(tr("Shows the devices with this text in any column: part of an IP address, "
                           "a MAC address with or without separators, a serial number or a description."));
    m_field->setClearButtonEnabled(true);
    m_field->setMaxLength(MaxFilterLength);
    m_field->installEventFilter(this);

    m_shownCount->setObjectName(u"shownCount"_s);
    m_shownCount->setTextFormat(Qt::PlainText);
    m_shownCount->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_shownCount->setFont(tableFont(WindowLayout::ShownCountPointSize));
    m_shownCount->hide();

    auto *const find = new QAction(tr("&Filter"), &window);
    find->setObjectName(u"filterAction"_s);
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WindowShortcut);
    window.addAction(find);
    connect(find, &QAction::triggered, m_field, [this] {
        m_field->setFocus(Qt::ShortcutFocusReason);
        m_field->selectAll();
    });

    m_countTimer.setSingleShot(true);
    m_countTimer.setInterval(CountDelayMs);
    connect(&m_countTimer, &QTimer::timeout, this, &FilterBar::updateShownCount);
    followShownModel();

    connect(m_field, &QLineEdit::textChanged, &m_sorting, [this](const QString &text) {
        if (text != m_sorting.filterText())
            m_sorting.setFilterText(text);
    });
    connect(&m_sorting, &DeviceSorting::shownRowsChanged, this, &FilterBar::updateShownCount);
    connect(&m_sorting, &DeviceSorting::modelShown, this, &FilterBar::followShownModel);
}

void FilterBar::followShownModel()
{
    for (const QMetaObject::Connection &connection : std::as_const(m_modelConnections))
        disconnect(connection);
    const QAbstractItemModel *const model = &m_sorting.shownModel();
    const auto later = [this] {
        if (m_sorting.isFiltering() && !m_countTimer.isActive())
            m_countTimer.start();
    };
    m_modelConnections = {
        connect(model, &QAbstractItemModel::rowsInserted, this, later),
        connect(model, &QAbstractItemModel::rowsRemoved, this, later),
        connect(model, &QAbstractItemModel::dataChanged, this, later),
        connect(model, &QAbstractItemModel::modelReset, this, later),
    };
    if (m_field->text() != m_sorting.filterText()) {
        const QSignalBlocker blocker(m_field);
        m_field->setText(m_sorting.filterText());
    }
    updateShownCount();
}

bool FilterBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto *const key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && !m_field->text().isEmpty()) {
            m_field->clear();
            return true;
        }
        // Down goes to the rows the filter left.
        if (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier) {
            m_grid.setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void FilterBar::updateShownCount()
{
    m_countTimer.stop();
    if (!m_sorting.isFiltering()) {
        m_shownCount->hide();
        return;
    }
    const QAbstractItemModel &model = m_sorting.shownModel();
    int found = 0;
    const int rows = model.rowCount();
    for (int row = 0; row < rows; ++row) {
        if (DeviceTable::isInUse(model.index(row, DeviceTable::MacColumn)))
            ++found;
    }
    // Free rows are hidden while filtering: every row shown is a device.
    m_shownCount->setText(tr("showing %1 of %2").arg(m_grid.model()->rowCount()).arg(found));
    m_shownCount->show();
}
