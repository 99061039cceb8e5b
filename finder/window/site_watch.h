#pragma once

#include "devicelist/site_rows.h"
#include "devicelist/site_tally.h"
#include "finder/core/device_watch.h"
#include "finder/window/plan_source.h"
#include "finder/window/site_view_model.h"

#include <QObject>
#include <QTimer>

#include <optional>

class DeviceSorting;
class DeviceTable;
class FinderController;
class QAction;
class QLabel;
class QTableView;
class QWidget;
class RecentPlans;
class ReportSaver;
class StatusStrip;
class WatchEventLog;

// Watch mode and the comparison with a site's plan in the window. Both show
// their rows in the window's one grid, through its sort and filter, with a
// strip of status toggles and the summary over it; turning Watch off, a
// query, or a Refresh while no plan is compared takes the table back as it
// was. A compared plan is read again when its file changes, and compared
// again on each Watch round and Refresh. While watching, the count label
// tells the devices that answered the last round. The events go to a window
// of their own, hidden until asked for.
class SiteWatch : public QObject
{
    Q_OBJECT

public:
    SiteWatch(FinderController &controller, const DeviceTable &table, DeviceSorting &sorting, QTableView &grid,
              QLabel &countLabel);

    // "Watch", "Watch settings…", "Watch events", "Compare with list…",
    // "Recent plans" and "Save report…" (enabled while a plan is compared).
    QList<QAction *> actions() const;
    QAction *reportAction() const { return m_reportAction; }
    // Back to the table: after a query, and as the window closes.
    void leave();
    // Before a refresh: Watch ends; a comparison goes on with what answers.
    void beforeRefresh();

    // Loads a plan and shows the comparison; on an error, says which line
    // and leaves the view as it was. Returns the error, empty on success.
    QString compareWith(const QString &path);
    // Shows the comparison with a plan already read from path.
    void compareWith(const QString &path, SitePlan plan);
    // The same for the user's pick: a header that names no identifier the
    // finder knows has its columns chosen in a dialog, an error is shown.
    void openPlan(const QString &path);
    bool isShown() const { return m_shown; }

    // The comparison as values: its plan, its summary and the rows shown.
    const PlanSource &planSource() const { return m_source; }
    SiteTally::Summary summary() const { return m_summary; }
    QString summaryText() const;
    const SiteViewModel &model() const { return m_model; }

    int intervalSeconds() const;
    void setIntervalSeconds(int seconds);
    int goneAfter() const;
    void setGoneAfter(int rounds);

    StatusStrip *statusStrip() const { return m_strip; }
    RecentPlans *recentPlans() const { return m_recentPlans; }
    ReportSaver *reportSaver() const { return m_reportSaver; }

signals:
    // The site view came or went, or its summary changed: the strip over
    // the grid may need another height.
    void stripChanged();

private:
    // The actions, each a shortcut of the window.
    void createActions();
    void setWatching(bool on);
    // The site view of a watch or a plan just begun: the label's count is
    // kept for the table, and the rows are laid out anew.
    void showSiteView();
    void askSettings();
    void askPlan();
    void show(bool shown);
    void onEvent(DeviceRoster::Event event, qsizetype entry, qint64 timeMs);
    void onRoundEnded(int round);
    void rebuildSoon();
    void rebuild();
    QList<SiteRow> tableRows() const;
    // A tally of the watch's devices now, to follow its events from here.
    void startTally();
    void keepSiteHeader() const;
    void restoreSiteHeader(const QList<int> &tableWidths);
    QList<SiteRow::Status> shownStatuses() const;
    // What the summary's tooltip says of the plan compared: its columns, and
    // why the file cannot be read now.
    QString planNote() const;
    // What answers for the plan now, laid out as the rows are, for the report.
    SiteRows::Compared compared();
    // The count label as the table has it, once a refresh has replaced the saved one.
    QString tableCountText() const;

    const FinderController &m_controller;
    const DeviceTable &m_table;
    DeviceSorting &m_sorting;
    QTableView &m_grid;
    QLabel &m_countLabel;
    DeviceWatch m_watch;
    SiteViewModel m_model;
    StatusStrip *m_strip;
    WatchEventLog *m_eventLog;
    QAction *m_watchAction = nullptr;
    QAction *m_settingsAction = nullptr;
    QAction *m_eventsAction = nullptr;
    QAction *m_compareAction = nullptr;
    QAction *m_reportAction = nullptr;
    RecentPlans *m_recentPlans = nullptr;
    ReportSaver *m_reportSaver = nullptr;
    PlanSource m_source;
    // Watching and comparing: the plan's tally, kept as devices come and go.
    std::optional<SiteTally> m_tally;
    SiteTally::Summary m_summary;
    bool m_comparing = false;
    bool m_shown = false;
    // The label's saved count is the table's since then.
    bool m_refreshedWhileComparing = false;
    qsizetype m_lastRoundCount = 0;
    QString m_savedCountText;
    QTimer m_rebuildTimer;
};
