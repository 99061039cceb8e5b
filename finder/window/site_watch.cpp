#include "finder/window/site_watch.h"

#include "devicelist/device_table.h"
#include "devicelist/site_report.h"
#include "finder/core/finder_controller.h"
#include "finder/core/request_routes.h"
#include "finder/window/count_label_text.h"
#include "finder/window/device_sorting.h"
#include "finder/window/plan_columns_dialog.h"
#include "finder/window/recent_plans.h"
#include "finder/window/report_saver.h"
#include "finder/window/single_line_delegate.h"
#include "finder/window/status_strip.h"
#include "finder/window/watch_event_log.h"
#include "finder/window/watch_settings_dialog.h"

#include <QAction>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QStyle>
#include <QTableView>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString IntervalKey = u"watch/intervalSeconds"_s;
const QString GoneAfterKey = u"watch/goneAfter"_s;
// Kept with the window's layout, so Reset layout forgets it too.
const QString SiteHeaderKey = u"layout/siteHeader"_s;
// Rows are rebuilt at most this often while replies come in.
constexpr int RebuildDelayMs = 250;

} // namespace

SiteWatch::SiteWatch(FinderController &controller, const DeviceTable &table, DeviceSorting &sorting, QTableView &grid,
                     QLabel &countLabel)
    : QObject(&grid)
    , m_controller(controller)
    , m_table(table)
    , m_sorting(sorting)
    , m_grid(grid)
    , m_countLabel(countLabel)
    , m_watch(controller)
    , m_strip(new StatusStrip(grid.parentWidget()))
    , m_eventLog(new WatchEventLog(grid.window()))
{
    m_strip->hide();
    connect(m_strip, &StatusStrip::checkedStatusesChanged, &m_sorting, &DeviceSorting::setStatusFilter);
    createActions();

    // Rows change with the events alone (and the count with the rounds): a
    // repeated answer leaves its row as it was.
    connect(&m_watch, &DeviceWatch::deviceEvent, this, &SiteWatch::onEvent);
    connect(&m_watch, &DeviceWatch::roundEnded, this, &SiteWatch::onRoundEnded);
    m_rebuildTimer.setSingleShot(true);
    m_rebuildTimer.setInterval(RebuildDelayMs);
    connect(&m_rebuildTimer, &QTimer::timeout, this, &SiteWatch::rebuild);
    // Without Watch, a comparison follows the table's late replies.
    const auto followTable = [this] {
        if (m_comparing && !m_watch.isRunning())
            rebuildSoon();
    };
    connect(&m_table, &QAbstractItemModel::rowsInserted, this, followTable);
    connect(&m_table, &QAbstractItemModel::rowsRemoved, this, followTable);
    connect(&m_table, &QAbstractItemModel::dataChanged, this, followTable);
}

void SiteWatch::createActions()
{
    m_watchAction = new QAction(tr("&Watch"), this);
    m_watchAction->setObjectName(u"watchAction"_s);
    m_watchAction->setCheckable(true);
    m_watchAction->setShortcut(QKeySequence(Qt::Key_F6));
    connect(m_watchAction, &QAction::toggled, this, &SiteWatch::setWatching);

    m_settingsAction = new QAction(tr("Watch &settings\u2026"), this);
    m_settingsAction->setObjectName(u"watchSettingsAction"_s);
    connect(m_settingsAction, &QAction::triggered, this, &SiteWatch::askSettings);

    m_eventsAction = new QAction(tr("Watch &events"), this);
    m_eventsAction->setObjectName(u"watchEventsAction"_s);
    m_eventsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(m_eventsAction, &QAction::triggered, m_eventLog, &WatchEventLog::open);

    m_compareAction = new QAction(tr("Compare with &list\u2026"), this);
    m_compareAction->setObjectName(u"compareAction"_s);
    m_compareAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(m_compareAction, &QAction::triggered, this, &SiteWatch::askPlan);

    m_recentPlans = new RecentPlans(this);
    connect(m_recentPlans, &RecentPlans::chosen, this, &SiteWatch::openPlan);

    // The hand-over report of what is compared, after Compare and Recent plans.
    m_reportAction = new QAction(tr("Save &report\u2026"), this);
    m_reportAction->setObjectName(u"saveReportAction"_s);
    m_reportAction->setEnabled(false);
    m_reportSaver = new ReportSaver(*m_grid.window(), [this] {
        return ReportSaver::Compared{m_source.path(), m_source.plan(), compared(),
                                     requestRoutes(m_controller.endpoint())};
    }, this);
    connect(m_reportAction, &QAction::triggered, m_reportSaver, &ReportSaver::ask);

    for (QAction *const action : actions()) {
        action->setShortcutContext(Qt::WindowShortcut);
        m_grid.window()->addAction(action);
    }
}

QList<QAction *> SiteWatch::actions() const
{
    return {m_watchAction, m_settingsAction, m_eventsAction, m_compareAction, m_recentPlans->menu()->menuAction(),
            m_reportAction};
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

int SiteWatch::goneAfter() const
{
    return DeviceRoster::boundedGoneAfter(QSettings().value(GoneAfterKey, DeviceRoster::DefaultGoneAfter).toInt());
}

void SiteWatch::setGoneAfter(int rounds)
{
    rounds = DeviceRoster::boundedGoneAfter(rounds);
    QSettings().setValue(GoneAfterKey, rounds);
    m_watch.setGoneAfter(rounds);
}

void SiteWatch::askSettings()
{
    auto *const dialog = new WatchSettingsDialog(intervalSeconds(), goneAfter(), m_grid.window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        setIntervalSeconds(dialog->intervalSeconds());
        setGoneAfter(dialog->goneAfter());
    });
    dialog->open();
}

void SiteWatch::setWatching(bool on)
{
    if (on == m_watch.isRunning())
        return;
    if (!on) {
        leave();
        return;
    }
    m_lastRoundCount = 0;
    m_eventLog->clear();
    m_watch.start(intervalSeconds(), goneAfter());
    showSiteView();
}

void SiteWatch::showSiteView()
{
    if (!m_shown)
        m_savedCountText = m_countLabel.text();
    startTally();
    m_strip->setStatuses(shownStatuses());
    show(true);
    rebuild();
}

void SiteWatch::leave()
{
    const bool wasWatching = m_watch.isRunning();
    const bool refreshed = std::exchange(m_refreshedWhileComparing, false);
    m_watch.stop();
    m_rebuildTimer.stop();
    m_comparing = false;
    m_source.clear();
    m_tally.reset();
    m_reportAction->setEnabled(false);
    if (m_watchAction->isChecked()) {
        const QSignalBlocker blocker(m_watchAction);
        m_watchAction->setChecked(false);
    }
    if (m_shown || wasWatching) {
        show(false);
        m_countLabel.setText(refreshed ? tableCountText() : m_savedCountText);
    }
}

void SiteWatch::beforeRefresh()
{
    if (!m_comparing)
        return leave();
    m_watch.stop();
    m_tally.reset();
    const QSignalBlocker blocker(m_watchAction);
    m_watchAction->setChecked(false);
    m_strip->setStatuses(shownStatuses());
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

QList<SiteRow::Status> SiteWatch::shownStatuses() const
{
    using S = SiteRow::Status;
    if (!m_comparing)
        return {S::Gone, S::Back, S::Answered};
    if (m_watch.isRunning())
        return {S::Missing, S::Unexpected, S::Differs, S::Gone, S::Answered};
    return {S::Missing, S::Unexpected, S::Differs, S::Answered};
}

void SiteWatch::show(bool shown)
{
    if (shown == m_shown)
        return;
    m_shown = shown;
    if (shown) {
        const bool first = !m_sorting.hasShown(m_model);
        QList<int> tableWidths;
        for (int c = 0; c < DeviceTable::ColumnCount; ++c)
            tableWidths << m_grid.horizontalHeader()->sectionSize(c);
        m_sorting.showModel(m_model);
        if (first)
            restoreSiteHeader(tableWidths);
    } else {
        keepSiteHeader();
        m_strip->uncheckAll();
        m_sorting.showTable();
    }
    m_strip->setVisible(shown);
    m_grid.setFocus();
    emit stripChanged();
}

void SiteWatch::keepSiteHeader() const
{
    QSettings().setValue(SiteHeaderKey, m_grid.horizontalHeader()->saveState());
}

void SiteWatch::restoreSiteHeader(const QList<int> &tableWidths)
{
    QHeaderView *const header = m_grid.horizontalHeader();
    if (header->restoreState(QSettings().value(SiteHeaderKey).toByteArray()))
        return;
    // The table's widths, then room for a status with a mark, and the
    // planned values, which are off until asked for.
    for (int c = 0; c < tableWidths.size(); ++c)
        header->resizeSection(c, tableWidths[c]);
    // Room for what differs; a longer status (a watch's marks) has its
    // tooltip, and the location beside it stays in view.
    SiteRow typical;
    typical.status = SiteRow::Status::Differs;
    typical.differences = SitePlan::IpDiffers | SitePlan::VersionDiffers;
    const QString typicalText = SiteViewModel::statusText(typical);
    const int status = m_grid.fontMetrics().horizontalAdvance(typicalText) + SingleLineDelegate::textPadding(&m_grid)
            + m_grid.style()->pixelMetric(QStyle::PM_SmallIconSize) + 4;
    header->resizeSection(SiteViewModel::StatusColumn, std::max(status, header->sectionSizeHint(SiteViewModel::StatusColumn)));
    header->resizeSection(SiteViewModel::PlannedIpColumn, tableWidths.value(DeviceTable::IpColumn));
    header->resizeSection(SiteViewModel::PlannedVersionColumn, tableWidths.value(DeviceTable::VersionColumn));
    header->hideSection(SiteViewModel::PlannedIpColumn);
    header->hideSection(SiteViewModel::PlannedVersionColumn);
    // The status and the name or location where the eye starts, after the
    // number: at the designed size the table's own columns already fill the
    // grid's width. Files keep the table's order.
    header->moveSection(header->visualIndex(SiteViewModel::StatusColumn), 1);
    header->moveSection(header->visualIndex(DeviceTable::DescriptionColumn), 2);
}

void SiteWatch::startTally()
{
    m_tally.reset();
    if (!m_comparing || !m_watch.isRunning())
        return;
    m_tally.emplace(m_source.plan());
    const DeviceRoster &roster = m_watch.roster();
    for (qsizetype i = 0; i < roster.size(); ++i) {
        if (!roster.entry(i).gone)
            m_tally->add(roster.entry(i).values);
    }
}

void SiteWatch::onEvent(DeviceRoster::Event event, qsizetype entry, qint64 timeMs)
{
    if (m_tally) {
        const DeviceRecord::Fields &values = m_watch.roster().entry(entry).values;
        if (event == DeviceRoster::Event::Gone)
            m_tally->remove(values);
        else
            m_tally->add(values);
    }
    // The first round's devices all appear: one line tells them at its end.
    if (event != DeviceRoster::Event::Appeared || m_watch.roster().round() > 1)
        m_eventLog->addEvent(event, m_watch.roster().entry(entry), timeMs);
    rebuildSoon();
}

void SiteWatch::onRoundEnded(int round)
{
    m_lastRoundCount = m_watch.roster().answeredThisRound();
    if (round == 1)
        m_eventLog->addFirstRound(m_lastRoundCount, QDateTime::currentMSecsSinceEpoch());
    rebuild();
}

QString SiteWatch::compareWith(const QString &path)
{
    SitePlan plan = PlanSource::read(path);
    if (!plan.isValid())
        return plan.error();
    compareWith(path, std::move(plan));
    return {};
}

void SiteWatch::compareWith(const QString &path, SitePlan plan)
{
    m_source.use(path, std::move(plan));
    m_recentPlans->add(path);
    m_reportAction->setEnabled(true);
    m_comparing = true;
    showSiteView();
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
        return compareWith(path, std::move(plan));
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

void SiteWatch::rebuildSoon()
{
    if (!m_rebuildTimer.isActive())
        m_rebuildTimer.start();
}

QList<SiteRow> SiteWatch::tableRows() const
{
    QList<SiteRow> rows;
    for (int r = 1; DeviceTable::isInUse(m_table.index(r - 1, 0)); ++r)
        rows << SiteRows::ofDevice(r, m_table.device(r).fields);
    return rows;
}

void SiteWatch::rebuild()
{
    m_rebuildTimer.stop();
    QList<SiteRow> rows;
    if (m_comparing) {
        SiteRows::Compared compared = this->compared();
        rows = std::move(compared.rows);
        m_summary = compared.summary;
    } else if (m_watch.isRunning()) {
        rows = SiteRows::watched(m_watch.roster());
    } else {
        return;
    }
    m_strip->setCounts(StatusStrip::countsOf(rows));
    m_model.setRows(std::move(rows));
    const QString summary = summaryText();
    if (summary != m_strip->summary()) {
        m_strip->setSummary(summary);
        emit stripChanged();
    }
    m_strip->setSummaryNote(planNote());
    if (m_watch.isRunning()) {
        // The label's own text: the devices that answered the last round
        // (the first round as it comes in).
        const qsizetype count = m_watch.roster().round() <= 1 ? m_watch.roster().answeredThisRound()
                                                              : m_lastRoundCount;
        m_countLabel.setText(countLabelText(int(count)));
    }
}

SiteRows::Compared SiteWatch::compared()
{
    // A plan changed on disk is read again, and a watch's tally starts over with it.
    if (m_source.refresh())
        startTally();
    return m_tally ? SiteRows::arrange(*m_tally, SiteRows::watched(m_watch.roster()))
                   : SiteRows::compare(m_source.plan(), tableRows());
}

QString SiteWatch::planNote() const
{
    if (!m_comparing)
        return {};
    QString note = tr("Columns used: %1").arg(m_source.plan().header().columnsText());
    if (!m_source.problem().isEmpty()) {
        note += u'\n' + tr("The list cannot be read now; the one read last is compared: %1")
                                .arg(m_source.problem());
    }
    return note;
}

QString SiteWatch::summaryText() const
{
    const QLocale locale;
    if (m_comparing) {
        QString summary = SiteReport::summaryText(m_summary, locale);
        // The last plan read is still compared; the summary says so.
        if (!m_source.problem().isEmpty())
            summary += u" \u00b7 "_s + tr("the list cannot be read now");
        return summary;
    }
    if (!m_watch.isRunning())
        return {};
    const StatusStrip::Counts counts = StatusStrip::countsOf(m_model.rows());
    return tr("%1 devices seen since the watch began \u00b7 %2 gone \u00b7 %3 came back")
            .arg(locale.toString(m_model.rowCount()), locale.toString(counts[size_t(SiteRow::Status::Gone)]),
                 locale.toString(counts[size_t(SiteRow::Status::Back)]));
}
