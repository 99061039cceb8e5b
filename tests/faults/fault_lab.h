#pragma once

#include <QString>

class QAbstractButton;
class QAbstractItemModel;
class QLabel;
class QMessageBox;
class QWidget;

// Breaking and mending the lab around the finder (tests run as root in the
// lab's finder namespace, so ip changes only this lab), and reading the
// finder's window the way a user would.
namespace fault_lab {

// ip with space-separated ARGS in this namespace, or in segment 1's device namespace.
bool ip(const QString &arguments);
bool deviceIp(const QString &arguments);

// The finder's and the device side's interfaces of segment 1.
QString finderInterface();
QString deviceInterface();
bool waitForCarrier(const QString &interface, bool carrier, int timeoutMs);
bool hasAnyRoute();

// Discovery requests from the finder (port 1010 to 255.255.255.255:8002)
// that segment 1's simulator has logged.
int requestsSeen();
// Makes sure every request sent so far on segment 1 has been logged.
bool settleRequests();

QMessageBox *visibleFailure(const QWidget &window);
QLabel *countLabel(const QWidget &window);
const QAbstractItemModel *table(const QWidget &window);
QAbstractButton *refreshButton(const QWidget &window);
int rowsInUse(const QAbstractItemModel &model);

} // namespace fault_lab
