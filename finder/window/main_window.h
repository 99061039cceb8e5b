#pragma once

#include "device_table.h"
#include "discovery_endpoint.h"
#include "finder_controller.h"
#include "finder_view.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class DeviceActions;
class NoReplyPlaceholder;
class IconAboveTextButton;
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

    // Opens "Query addresses…"; its addresses get the request along with a
    // refresh's broadcast.
    void queryAddresses();

private:
    void createControls();
    void applyColumnWidths();
    void fitCountLabel();
    void showFailure(const QString &message);
    void updateReplyPane();

    DeviceTable m_table;
    DiscoveryEndpoint m_endpoint;

    QTableView *m_grid = nullptr;          // MSFlexGrid1
    IconAboveTextButton *m_refresh = nullptr;    // cmdRefresh
    QLabel *m_foundDevice = nullptr;       // tFoundDevice
    QLineEdit *m_requestPane = nullptr;    // Text2
    QPlainTextEdit *m_replyPane = nullptr; // Text1
    DeviceActions *m_deviceActions = nullptr;
    NoReplyPlaceholder *m_noReplyPlaceholder = nullptr;
    QPointer<QMessageBox> m_failureBox;
    QPointer<QMessageBox> m_warningBox;
    QString m_pendingReply;
    QTimer m_replyPaneTimer;

    FinderController m_controller;
};
