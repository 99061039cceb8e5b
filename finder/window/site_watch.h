#pragma once

#include "finder/core/device_watch.h"
#include "finder/window/plan_source.h"
#include "finder/window/site_view_model.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>

class DeviceTable;
class FinderController;
class QAction;
class QLabel;
class QPlainTextEdit;
class QTableView;
class QWidget;
class RecentPlans;
class ReportSaver;

// Watch mode and the comparison with a site's plan in the window. Both show
// a second grid in the first one's place; turning Watch off or a Refresh
// hides it again, and the table is there as it was. While watching, the
// count label tells the devices that answered the last round; while a plan
// is compared, it gives the summary. The event pane is a window of its own,
// hidden until asked for.
class SiteWatch : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxEvents = 10000;

    SiteWatch(FinderController &controller, const DeviceTable &table, QTableView &grid, QLabel &countLabel,
              QObject *parent = nullptr);

    // "Watch", "Watch interval…", "Watch events", "Compare with list…",
    // "Recent plans", "Save report…".
    QList<QAction *> actions() const;
    QAction *watchAction() const { return m_watchAction; }
    // Back to the table.
    void leave();
    // Before a refresh: Watch ends; a comparison goes on with what answers.
    void beforeRefresh();

    // Loads a plan and shows the comparison; on an error, says which line
    // and leaves the view as it was. Returns the error, empty on success.
    QString compareWith(const QString &path);
    // The same for the user's pick: a header that names no identifier the
    // finder knows has its columns chosen in a dialog, an error is shown.
    void openPlan(const QString &path);
    const PlanSource &planSource() const { return m_source; }
    RecentPlans *recentPlans() const { return m_recentPlans; }
    ReportSaver *reportSaver() const { return m_reportSaver; }
    int intervalSeconds() const;
    void setIntervalSeconds(int seconds);
    const SiteViewModel &model() const { return m_model; }
    QTableView *view() const { return m_view; }
    QPlainTextEdit *eventLog() const { return m_eventLog; }

Q_SIGNALS:
    // What the summary's tooltip says of the plan compared: its columns,
    // and why the file cannot be read now; empty when none is compared.
    void planNoteChanged(const QString &note);

private:
    void setWatching(bool on);
    void askInterval();
    void askPlan();
    void showSiteView(bool shown);
    void onEvent(DeviceRoster::Event event, qsizetype entry, qint64 timeMs);
    void onRoundEnded();
    void rebuild();
    void saveEvents();
    QList<SiteViewModel::Row> rosterRows() const;
    QList<SiteViewModel::Row> comparedRows(QString *summary) const;
    void compare(const QString &path, SitePlan plan);
    // What answers for the plan now: while watching, the devices that are
    // not gone; else the table's.
    QList<DeviceRecord::Fields> comparedDevices() const;
    QString tableCountText() const;

    const FinderController &m_controller;
    const DeviceTable &m_table;
    QTableView &m_grid;
    QLabel &m_countLabel;
    DeviceWatch m_watch;
    SiteViewModel m_model;
    QTableView *m_view = nullptr;
    QWidget *m_eventPane = nullptr;
    QPlainTextEdit *m_eventLog = nullptr;
    QAction *m_watchAction = nullptr;
    QAction *m_intervalAction = nullptr;
    QAction *m_eventsAction = nullptr;
    QAction *m_compareAction = nullptr;
    RecentPlans *m_recentPlans = nullptr;
    ReportSaver *m_reportSaver = nullptr;
    PlanSource m_source;
    bool m_comparing = false;
    // The label's saved count is the table's since then.
    bool m_refreshedWhileComparing = false;
    qsizetype m_lastRoundCount = 0;
    QString m_savedCountText;
    QRect m_savedLabelGeometry;
    QTimer m_rebuildTimer;
};
