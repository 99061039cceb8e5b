#pragma once

#include "devicelist/device_table.h"
#include "discovery/discovery_endpoint.h"
#include "finder/core/finder_controller.h"
#include "finder/core/finder_view.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class DeviceActions;
class DeviceSorting;
class FilterBar;
class LayoutMemory;
class NoReplyPlaceholder;
class SiteWatch;
class IconAboveTextButton;
class InterfaceMenu;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPlainTextEdit;
class QTableView;

// The finder's only window. It owns the table, the endpoint and the
// controller, and runs the controller's start-up as it is created, before it
// is first shown.
class MainWindow : public QWidget, public FinderView
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    // Tests point the endpoint at loopback and unprivileged ports.
    explicit MainWindow(const DiscoveryEndpoint::Settings &settings, QWidget *parent = nullptr);
    ~MainWindow() override;

    void resultsCleared() override;
    void requestSent(const QString &request) override;
    void datagramHandled(const QString &text, int foundCount) override;
    void reportFailure(const EndpointError &error) override;
    void showNoReplyHint(const QStringList &routes) override;
    void hideNoReplyHint() override;
    void reportWarning(const EndpointError &error) override;
    void resultsFull(qint64 dropped) override;

    // Opens "Query addresses…"; its addresses get the request along with a
    // refresh's broadcast.
    void queryAddresses();
    // Forgets the saved layout and returns to the designed one.
    void resetLayout();
    const DiscoveryEndpoint &endpoint() const { return m_endpoint; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createGrid();
    // The request and reply panes with their captions, hidden.
    void createTrafficPanes();
    void createCountLabel();
    // Query addresses…, Watch and Compare, and the broadcast's interfaces
    // after the device actions in the table's context menu.
    void addContextActions(InterfaceMenu &interfaceMenu);
    void layoutControls();
    void fitToScreen();
    void applyColumnWidths();
    void fitCountLabel();
    void showFailure(const QString &message);
    void showWarning(const QString &message);
    void updateCountLabel();
    void updateReplyPane();

    DeviceTable m_table;
    DiscoveryEndpoint m_endpoint;

    QTableView *m_grid = nullptr;          // MSFlexGrid1
    IconAboveTextButton *m_refresh = nullptr;    // cmdRefresh
    QLabel *m_foundDevice = nullptr;       // tFoundDevice
    QLineEdit *m_requestPane = nullptr;    // Text2
    QPlainTextEdit *m_replyPane = nullptr; // Text1
    DeviceActions *m_deviceActions = nullptr;
    DeviceSorting *m_sorting = nullptr;
    FilterBar *m_filterBar = nullptr;
    QRect m_countLabelRect;            // at the designed client area
    NoReplyPlaceholder *m_noReplyPlaceholder = nullptr;
    SiteWatch *m_siteWatch = nullptr;   // Watch and Compare with list…
    QPointer<QMessageBox> m_failureBox;
    QPointer<QMessageBox> m_warningBox;
    int m_pendingCount = 0;
    bool m_countLabelDue = false;
    QString m_pendingReply;
    QTimer m_replyPaneTimer;

    FinderController m_controller;
    std::unique_ptr<LayoutMemory> m_layoutMemory;
};
