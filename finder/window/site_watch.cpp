#include "finder/window/site_watch.h"

#include "devicelist/device_table.h"
#include "devicelist/site_report.h"
#include "devicelist/site_tally.h"
#include "devicelist/visible_text.h"
#include "finder/core/finder_controller.h"
#include "finder/core/request_routes.h"
#include "finder/window/count_label_text.h"
#include "finder/window/device_actions.h"
#include "finder/window/plan_columns_dialog.h"
#include "finder/window/recent_plans.h"
#include "finder/window/report_saver.h"
#include "finder/window/single_line_delegate.h"

#include <QAction>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>
#include <QTableView>
#include <QVBoxLayout>

#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString IntervalKey = u"watch/intervalSeconds"_s;
// Rows are rebuilt at most this often while replies come in.
constexpr int RebuildDelayMs = 250;

QString clockTime(qint64 timeMs)
{
    return QDateTime::fromMSecsSinceEpoch(timeMs).toString(u"hh:mm:ss"_s);
}

QString fieldLabel(int field)
{
    switch (field) {
    case DeviceRoster::Ip: return SiteWatch::tr("IP");
    case DeviceRoster::Serial: return SiteWatch::tr("serial");
    case DeviceRoster::Mac: return SiteWatch::tr("MAC");
    case DeviceRoster::Version: return SiteWatch::tr("version");
    case DeviceRoster::Description: return SiteWatch::tr("description");
    default: return {};
    }
}

QString eventLabel(DeviceRoster::Event event)
{
    switch (event) {
    case DeviceRoster::Event::Appeared: return SiteWatch::tr("appeared");
    case DeviceRoster::Event::Changed: return SiteWatch::tr("changed");
    case DeviceRoster::Event::Gone: return SiteWatch::tr("gone");
    case DeviceRoster::Event::Back: return SiteWatch::tr("back");
    }
    return {};
}

QString statusLabel(SitePlan::Status status)
{
    switch (status) {
    case SitePlan::Status::Answered: return SiteWatch::tr("answered");
    case SitePlan::Status::Missing: return SiteWatch::tr("missing");
    case SitePlan::Status::Unexpected: return SiteWatch::tr("unexpected");
    case SitePlan::Status::Differs: return SiteWatch::tr("differs");
    }
    return {};
}

// The roster's marks of one entry, as text, and the previous values.
void markRow(SiteViewModel::Row &row, const DeviceRoster &roster, qsizetype index)
{
    const DeviceRoster::Entry &entry = roster.entry(index);
    QStringList marks;
    QStringList previous;
    if (entry.gone) {
        marks << SiteWatch::tr("gone \u00b7 last seen %1").arg(clockTime(entry.lastSeenMs));
        row.greyed = true;
    } else {
        if (roster.isNew(index))
            marks << SiteWatch::tr("new");
        // Every field that changed during this watch, not only in the last
        // answer: the installer looks away between rounds.
        QStringList fields;
        for (int f = 0; f < DeviceRoster::FieldCount; ++f) {
            if ((entry.changedFields & (1u << f)) || !entry.previous[f].isEmpty())
                fields << fieldLabel(f);
        }
        if (!fields.isEmpty())
            marks << SiteWatch::tr("changed: %1").arg(fields.join(u", "_s));
    }
    for (int f = 0; f < DeviceRoster::FieldCount; ++f) {
        if (!entry.previous[f].isEmpty())
            previous << SiteWatch::tr("%1 was %2").arg(fieldLabel(f), visibleText(entry.previous[f]));
    }
    if (!row.status.isEmpty() && !marks.isEmpty())
        row.status += u" \u00b7 "_s;
    row.status += marks.join(u" \u00b7 "_s);
    row.toolTip = previous.join(u'\n');
}

// A device's row: the number, then its fields.
SiteViewModel::Row rowOf(const QString &key, qsizetype number, const DeviceRecord::Fields &fields)
{
    SiteViewModel::Row row;
    row.key = key;
    row.cells[DeviceTable::NumberColumn] = number > 0 ? QString::number(number) : QString();
    for (int f = 0; f < DeviceRecord::FieldCount; ++f)
        row.cells[DeviceTable::columnOf(DeviceRecord::Field(f))] = fields[f];
    return row;
}

SiteViewModel::Row rowOf(const DeviceRoster &roster, qsizetype index)
{
    const DeviceRoster::Values &v = roster.entry(index).values;
    return rowOf(DeviceRoster::key(v), index + 1, v);
}

} // namespace

SiteWatch::SiteWatch(FinderController &controller, const DeviceTable &table, QTableView &grid, QLabel &countLabel,
                     QObject *parent)
    : QObject(parent)
    , m_controller(controller)
    , m_table(table)
    , m_grid(grid)
    , m_countLabel(countLabel)
    , m_watch(controller)
{
    QWidget *const window = grid.parentWidget();
    m_view = new QTableView(window);
    m_view->setObjectName(u"siteView"_s);
    m_view->setAccessibleName(tr("Watched devices"));
    m_view->setModel(&m_model);
    m_view->setFont(grid.font());
    m_view->setGeometry(grid.geometry());
    m_view->setItemDelegate(new SingleLineDelegate(m_view));
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setDefaultSectionSize(grid.verticalHeader()->defaultSectionSize());
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setWordWrap(false);
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_view->horizontalHeader()->setFont(grid.horizontalHeader()->font());
    m_view->horizontalHeader()->setHighlightSections(false);
    m_view->hide();
    auto *const viewActions = new DeviceActions(*m_view);

    m_watchAction = new QAction(tr("&Watch"), this);
    m_watchAction->setObjectName(u"watchAction"_s);
    m_watchAction->setCheckable(true);
    m_watchAction->setShortcut(QKeySequence(Qt::Key_F6));
    connect(m_watchAction, &QAction::toggled, this, &SiteWatch::setWatching);

    m_intervalAction = new QAction(tr("Watch &interval\u2026"), this);
    connect(m_intervalAction, &QAction::triggered, this, &SiteWatch::askInterval);

    m_eventsAction = new QAction(tr("Watch &events"), this);
    m_eventsAction->setObjectName(u"watchEventsAction"_s);
    m_eventsAction->setCheckable(true);
    m_eventsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));

    m_compareAction = new QAction(tr("Compare with &list\u2026"), this);
    m_compareAction->setObjectName(u"compareAction"_s);
    m_compareAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(m_compareAction, &QAction::triggered, this, &SiteWatch::askPlan);
    m_recentPlans = new RecentPlans(this);
    connect(m_recentPlans, &RecentPlans::chosen, this, &SiteWatch::openPlan);
    m_reportSaver = new ReportSaver(*window, [this] {
        return ReportSaver::Compared{m_source.path(), m_source.plan(), comparedDevices(),
                                     requestRoutes(m_controller.endpoint())};
    }, this);
    viewActions->contextMenu()->addSeparator();
    for (QAction *const action : actions()) {
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
        viewActions->contextMenu()->addAction(action);
    }

    // The event pane: a window of its own beside the fixed-size main window.
    m_eventPane = new QWidget(window, Qt::Tool);
    m_eventPane->setObjectName(u"watchEvents"_s);
    m_eventPane->setWindowTitle(tr("Watch events"));
    m_eventLog = new QPlainTextEdit(m_eventPane);
    m_eventLog->setReadOnly(true);
    m_eventLog->setMaximumBlockCount(MaxEvents);
    m_eventLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto *const save = new QPushButton(tr("&Save\u2026"), m_eventPane);
    connect(save, &QPushButton::clicked, this, &SiteWatch::saveEvents);
    auto *const layout = new QVBoxLayout(m_eventPane);
    layout->addWidget(m_eventLog);
    auto *const buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    layout->addLayout(buttons);
    m_eventPane->resize(640, 320);
    connect(m_eventsAction, &QAction::toggled, m_eventPane, &QWidget::setVisible);

    connect(&m_watch, &DeviceWatch::deviceEvent, this, &SiteWatch::onEvent);
    connect(&m_watch, &DeviceWatch::deviceNoted, this, [this] {
        if (!m_rebuildTimer.isActive())
            m_rebuildTimer.start();
    });
    connect(&m_watch, &DeviceWatch::roundEnded, this, &SiteWatch::onRoundEnded);
    m_rebuildTimer.setSingleShot(true);
    m_rebuildTimer.setInterval(RebuildDelayMs);
    connect(&m_rebuildTimer, &QTimer::timeout, this, &SiteWatch::rebuild);
    // Without Watch, a comparison follows the table's late replies.
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
        connect(&m_table, signal, this, [this] {
            if (m_comparing && !m_watch.isRunning() && !m_rebuildTimer.isActive())
                m_rebuildTimer.start();
        });
    }
    connect(&m_table, &QAbstractItemModel::dataChanged, this, [this] {
        if (m_comparing && !m_watch.isRunning() && !m_rebuildTimer.isActive())
            m_rebuildTimer.start();
    });
}

QList<QAction *> SiteWatch::actions() const
{
    return {m_watchAction, m_intervalAction, m_eventsAction, m_compareAction, m_recentPlans->menu()->menuAction(),
            m_reportSaver->action()};
}

int SiteWatch::intervalSeconds() const
{
    const int seconds = QSettings().value(IntervalKey, DeviceWatch::DefaultIntervalSeconds).toInt();
    return DeviceWatch::boundedInterval(seconds);
}

void SiteWatch::setIntervalSeconds(int seconds)
{
    seconds = DeviceWatch::boundedInterval(seconds);
    QSettings().setValue(IntervalKey, seconds);
    m_watch.setIntervalSeconds(seconds);
}

void SiteWatch::askInterval()
{
    bool ok = false;
    const int seconds = QInputDialog::getInt(m_grid.window(), tr("Watch interval"),
                                             tr("Send the request every (seconds):"), intervalSeconds(),
                                             DeviceWatch::MinIntervalSeconds, DeviceWatch::MaxIntervalSeconds, 1, &ok);
    if (ok)
        setIntervalSeconds(seconds);
}

void SiteWatch::setWatching(bool on)
{
    if (on == m_watch.isRunning())
        return;
    if (on) {
        m_savedCountText = m_countLabel.text();
        m_lastRoundCount = 0;
        m_model.setRows({});
        showSiteView(true);
        m_watch.start(intervalSeconds());
    } else {
        leave();
    }
}

void SiteWatch::leave()
{
    const bool wasWatching = m_watch.isRunning();
    const bool refreshed = std::exchange(m_refreshedWhileComparing, false);
    m_watch.stop();
    m_rebuildTimer.stop();
    m_comparing = false;
    m_source.clear();
    m_reportSaver->action()->setEnabled(false);
    emit planNoteChanged({});
    if (m_watchAction->isChecked()) {
        const QSignalBlocker blocker(m_watchAction);
        m_watchAction->setChecked(false);
    }
    if (m_view->isVisible() || wasWatching) {
        showSiteView(false);
        m_countLabel.setText(refreshed ? tableCountText() : m_savedCountText);
    }
}

void SiteWatch::beforeRefresh()
{
    if (!m_comparing)
        return leave();
    m_watch.stop();
    const QSignalBlocker blocker(m_watchAction);
    m_watchAction->setChecked(false);
    m_refreshedWhileComparing = true;
}

QString SiteWatch::tableCountText() const
{
    // As the label reads after the replies to a refresh: empty before the first.
    int inUse = 0;
    while (DeviceTable::isInUse(m_table.index(inUse, 0)))
        ++inUse;
    return inUse > 0 ? countLabelText(inUse) : QString();
}

void SiteWatch::showSiteView(bool shown)
{
    if (shown && !m_view->isVisible()) {
        // The table's widths, but a narrower description leaves the marks room.
        QHeaderView *const header = m_view->horizontalHeader();
        int used = 0;
        for (int c = 0; c < DeviceTable::DescriptionColumn; ++c) {
            header->resizeSection(c, m_grid.horizontalHeader()->sectionSize(c));
            used += header->sectionSize(c);
        }
        const int statusWidth = m_view->fontMetrics().horizontalAdvance(u"unexpected \u00b7 gone \u00b7 last seen 00:00:00"_s);
        header->resizeSection(DeviceTable::DescriptionColumn,
                              std::max(80, m_grid.viewport()->width() - used - statusWidth));
        // A summary is longer than a count: the label takes the strip under the grid.
        m_savedLabelGeometry = m_countLabel.geometry();
        QRect wide = m_savedLabelGeometry;
        wide.setRight(m_countLabel.parentWidget()->width() - 1);
        m_countLabel.setGeometry(wide);
    } else if (!shown && m_view->isVisible()) {
        m_countLabel.setGeometry(m_savedLabelGeometry);
    }
    m_view->setGeometry(m_grid.geometry());
    m_view->setVisible(shown);
    m_grid.setVisible(!shown);
    (shown ? m_view : &m_grid)->setFocus();
}

void SiteWatch::onEvent(DeviceRoster::Event event, qsizetype entry, qint64 timeMs)
{
    const DeviceRoster::Values &v = m_watch.roster().entry(entry).values;
    QString line = u"%1  %2  %3  %4"_s.arg(clockTime(timeMs), eventLabel(event).leftJustified(9),
                                            v[DeviceRoster::Ip].leftJustified(15), v[DeviceRoster::Mac]);
    if (!v[DeviceRoster::Description].isEmpty())
        line += u"  "_s + v[DeviceRoster::Description];
    if (event == DeviceRoster::Event::Changed || event == DeviceRoster::Event::Back) {
        const DeviceRoster::Entry &changed = m_watch.roster().entry(entry);
        for (int f = 0; f < DeviceRoster::FieldCount; ++f) {
            if (changed.changedFields & (1u << f))
                line += u"  %1: %2 → %3"_s.arg(fieldLabel(f), changed.previous[f], v[f]);
        }
    }
    // Device text, one line, nothing it holds able to pass for another line.
    m_eventLog->appendPlainText(visibleText(line));
    if (event == DeviceRoster::Event::Gone && !m_rebuildTimer.isActive())
        m_rebuildTimer.start();
}

void SiteWatch::onRoundEnded()
{
    m_lastRoundCount = m_watch.roster().answeredThisRound();
    rebuild();
}

QString SiteWatch::compareWith(const QString &path)
{
    SitePlan plan = PlanSource::read(path);
    if (!plan.isValid())
        return plan.error();
    compare(path, std::move(plan));
    return {};
}

void SiteWatch::compare(const QString &path, SitePlan plan)
{
    if (!m_comparing && !m_watch.isRunning())
        m_savedCountText = m_countLabel.text();
    m_source.use(path, std::move(plan));
    m_recentPlans->add(path);
    m_reportSaver->action()->setEnabled(true);
    m_comparing = true;
    m_model.setRows({});
    rebuild();
    showSiteView(true);
}

void SiteWatch::askPlan()
{
    // Spreadsheets are offered too: picking one says how to save it as CSV.
    const QString path = QFileDialog::getOpenFileName(m_grid.window(), tr("Compare with list"),
                                                      m_recentPlans->folder(),
                                                      tr("Lists (*.csv *.tsv *.txt *.xlsx *.xls *.ods);;All files (*)"));
    if (!path.isEmpty())
        openPlan(path);
}

void SiteWatch::openPlan(const QString &path)
{
    SitePlan plan = PlanSource::read(path);
    if (plan.isValid())
        return compare(path, std::move(plan));
    if (plan.needsColumnChoice()) {
        auto *const dialog = new PlanColumnsDialog(QFileInfo(path).fileName(), plan.header(), m_grid.window());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &QDialog::accepted, this, [this, dialog, path, header = plan.header()] {
            PlanSource::rememberColumns(header, dialog->choice());
            openPlan(path);
        });
        dialog->open();
        return;
    }
    const QString error = plan.error();
    auto *const box = new QMessageBox(QMessageBox::Warning, m_grid.window()->windowTitle(),
                                      tr("The list %1 cannot be used.\n\n%2").arg(QFileInfo(path).fileName(), error),
                                      QMessageBox::Ok, m_grid.window());
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void SiteWatch::rebuild()
{
    m_rebuildTimer.stop();
    if (m_comparing) {
        m_source.refresh();
        QString summary;
        m_model.setRows(comparedRows(&summary));
        QString note = tr("Columns used: %1").arg(m_source.plan().header().columnsText());
        if (!m_source.problem().isEmpty()) {
            // The last plan read is still compared; the summary says so.
            summary += u" \u00b7 "_s + tr("the list cannot be read now");
            note += u'\n' + tr("The list cannot be read now; the one read last is compared: %1")
                                    .arg(m_source.problem());
        }
        m_countLabel.setText(summary);
        emit planNoteChanged(note);
    } else if (m_watch.isRunning()) {
        m_model.setRows(rosterRows());
        // The label's own text: the devices that answered the last round
        // (the first round as it comes in).
        const qsizetype count = m_watch.roster().round() <= 1 ? m_watch.roster().answeredThisRound()
                                                              : m_lastRoundCount;
        m_countLabel.setText(countLabelText(int(count)));
    }
}

QList<SiteViewModel::Row> SiteWatch::rosterRows() const
{
    const DeviceRoster &roster = m_watch.roster();
    QList<SiteViewModel::Row> rows;
    rows.reserve(roster.size());
    for (qsizetype i = 0; i < roster.size(); ++i) {
        SiteViewModel::Row row = rowOf(roster, i);
        markRow(row, roster, i);
        rows << row;
    }
    return rows;
}

QList<SiteViewModel::Row> SiteWatch::comparedRows(QString *summary) const
{
    // What answered: the roster while watching, else the table's devices.
    QList<SiteViewModel::Row> answered;
    QList<DeviceRecord::Fields> devices;
    if (m_watch.isRunning()) {
        for (qsizetype i = 0; i < m_watch.roster().size(); ++i) {
            // A gone device no longer answers for the plan; it is left out.
            if (m_watch.roster().entry(i).gone)
                continue;
            SiteViewModel::Row row = rowOf(m_watch.roster(), i);
            markRow(row, m_watch.roster(), i);
            answered << row;
            devices << m_watch.roster().entry(i).values;
        }
    } else {
        for (int r = 1; DeviceTable::isInUse(m_table.index(r - 1, 0)); ++r) {
            const DeviceRecord device = m_table.device(r);
            answered << rowOf(device.fields[DeviceRecord::Mac], r, device.fields);
            devices << device.fields;
        }
    }
    // Planned stations in the plan's order, then the unexpected devices as
    // they came, then the missing stations. A device answering again is
    // shown once.
    SiteTally tally(m_source.plan());
    QList<std::optional<SiteViewModel::Row>> stations(m_source.plan().devices().size());
    QList<SiteViewModel::Row> rows, unexpected;
    for (qsizetype i = 0; i < answered.size(); ++i) {
        if (tally.contains(devices[i]))
            continue;
        const SiteTally::Verdict verdict = tally.add(devices[i]);
        SiteViewModel::Row row = answered[i];
        const QString watchMarks = row.status;
        row.status = statusLabel(verdict.status);
        if (!watchMarks.isEmpty())
            row.status += u" \u00b7 "_s + watchMarks;
        if (verdict.planned < 0) {
            unexpected << row;
            continue;
        }
        const SitePlan::Device &device = m_source.plan().devices()[verdict.planned];
        QStringList notes;
        if (!device.name.isEmpty())
            notes << tr("Planned as %1 (line %2)").arg(device.name).arg(device.line);
        if (verdict.status == SitePlan::Status::Differs)
            notes << tr("Planned IP %1, version %2").arg(device.ip, device.version);
        if (!row.toolTip.isEmpty())
            notes << row.toolTip;
        row.toolTip = notes.join(u'\n');
        stations[verdict.planned] = row;
    }
    for (const std::optional<SiteViewModel::Row> &row : std::as_const(stations)) {
        if (row)
            rows << *row;
    }
    QList<SiteViewModel::Row> missing;
    for (const qsizetype p : tally.missing()) {
        const SitePlan::Device &device = m_source.plan().devices()[p];
        SiteViewModel::Row row = rowOf(u"plan %1"_s.arg(p), 0, {device.ip, device.serial, device.mac, device.version,
                                                                device.name});
        row.status = statusLabel(SitePlan::Status::Missing);
        row.greyed = true;
        missing << row;
    }
    *summary = SiteReport::summaryText(tally.summary(), QLocale());
    return rows + unexpected + missing;
}

QList<DeviceRecord::Fields> SiteWatch::comparedDevices() const
{
    QList<DeviceRecord::Fields> devices;
    if (m_watch.isRunning()) {
        for (qsizetype i = 0; i < m_watch.roster().size(); ++i) {
            if (!m_watch.roster().entry(i).gone)
                devices << m_watch.roster().entry(i).values;
        }
        return devices;
    }
    for (int r = 1; DeviceTable::isInUse(m_table.index(r - 1, 0)); ++r)
        devices << m_table.device(r).fields;
    return devices;
}

void SiteWatch::saveEvents()
{
    const QString path = QFileDialog::getSaveFileName(m_eventPane, tr("Save watch events"), u"watch-events.txt"_s,
                                                      tr("Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
        || file.write(m_eventLog->toPlainText().toUtf8() + '\n') < 0 || !file.commit()) {
        QMessageBox::warning(m_eventPane, m_eventPane->windowTitle(),
                             tr("The events could not be saved: %1").arg(file.errorString()));
    }
}
