#pragma once

#include "devicelist/site_plan.h"
#include "devicelist/site_tally.h"
#include "finder/core/device_watch.h"
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
class StatusStrip;
class WatchEventLog;

// Watch mode and the comparison with a site's plan in the window. Both show
// their rows in the window's one grid, through its sort and filter, with a
// strip of status toggles and the summary over it; turning Watch off, a
// Refresh or a query takes the table back as it was. While watching, the
// count label tells the devices that answered the last round. The events go
// to a window of their own, hidden until asked for.
class SiteWatch : public QObject
{
    Q_OBJECT

public:
    SiteWatch(FinderController &controller, const DeviceTable &table, DeviceSorting &sorting, QTableView &grid,
              QLabel &countLabel);

    // "Watch", "Watch settings…", "Watch events", "Compare with list…" and
    // "Save report…" (hidden until a report writer takes it).
    QList<QAction *> actions() const;
    QAction *watchAction() const { return m_watchAction; }
    QAction *reportAction() const { return m_reportAction; }
    // Back to the table: before a refresh, and as the window closes.
    void leave();

    // Loads a plan and shows the comparison; on an error, says which line
    // and leaves the view as it was. Returns the error, empty on success.
    QString compareWith(const QString &path);
    // Shows the comparison with a plan already read.
    void compareWith(SitePlan plan);
    // Compares again at once, e.g. after the plan's file changed.
    void refreshComparison();
    bool isComparing() const { return m_comparing; }
    bool isShown() const { return m_shown; }

    // The comparison as values: the plan, its summary and the rows shown.
    const SitePlan &plan() const { return m_plan; }
    SiteTally::Summary summary() const { return m_summary; }
    QString summaryText() const;
    const SiteViewModel &model() const { return m_model; }

    int intervalSeconds() const;
    void setIntervalSeconds(int seconds);
    int goneAfter() const;
    void setGoneAfter(int rounds);

    StatusStrip *statusStrip() const { return m_strip; }
    WatchEventLog *eventLog() const { return m_eventLog; }

signals:
    // The site view came or went, or its summary changed: the strip over
    // the grid may need another height.
    void stripChanged();

private:
    void setWatching(bool on);
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
    SitePlan m_plan;
    // Watching and comparing: the plan's tally, kept as devices come and go.
    std::optional<SiteTally> m_tally;
    SiteTally::Summary m_summary;
    bool m_comparing = false;
    bool m_shown = false;
    qsizetype m_lastRoundCount = 0;
    QString m_savedCountText;
    QTimer m_rebuildTimer;
};
