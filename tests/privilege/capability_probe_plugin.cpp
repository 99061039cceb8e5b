// Code a local user plants in the finder through QT_PLUGIN_PATH (a generic
// plugin, named by QT_QPA_GENERIC_PLUGINS): it writes to the file named by
// VELTRIN_PROBE_REPORT what it may do there (its capability sets, and
// whether it can bind TCP port 81) and what the window shows, presses
// Refresh once the devices are listed, and ends the finder when done. A
// failure dialog is reported; once the file REPORT.retry appears (the test
// has mended the cause) it is closed and Refresh pressed, as a user would.
#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QGenericPlugin>
#include <QLabel>
#include <QMessageBox>
#include <QTableView>
#include <QTimer>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr int GiveUpAfterMs = 15000;

QByteArray ownPrivileges()
{
    QByteArray lines;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Cap"))
                lines += line.simplified().replace(": ", "=") + '\n';
        }
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(81);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    lines += "tcp81=" + QByteArray(bound == 0 ? "bound" : std::strerror(errno)) + '\n';
    ::close(fd);
    return lines;
}

class Probe : public QObject
{
public:
    explicit Probe(const QString &reportPath)
        : m_report(reportPath)
    {
        m_report.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        m_report.write(ownPrivileges());
        connect(&m_poll, &QTimer::timeout, this, &Probe::look);
        m_poll.start(50);
        QTimer::singleShot(GiveUpAfterMs, this, [this] { finish("timeout"); });
    }

private:
    void look()
    {
        QWidget *window = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("VUDArido"))
                window = w;
        }
        if (!window)
            return;
        auto *refresh = window->findChild<QAbstractButton *>(QStringLiteral("cmdRefresh"));
        if (auto *box = window->findChild<QMessageBox *>(QStringLiteral("failureDialog")); box && box->isVisible()) {
            if (m_retried)
                return finish("dialog");
            if (!m_failed)
                m_report.write("dialog=" + box->text().toUtf8().toPercentEncoding(" ") + '\n');
            m_failed = true;
            if (!QFile::exists(m_report.fileName() + QStringLiteral(".retry")))
                return;
            m_retried = true;
            box->close();
            refresh->click();
            return;
        }
        const QString found = window->findChild<QLabel *>(QStringLiteral("tFoundDevice"))->text();
        // Refresh goes on once the helper has answered: until the table has
        // been emptied, the label still shows the last count.
        if (found != QLatin1String(" 3 device found") || (m_refreshed && !m_tableRefilled))
            return;
        m_report.write((m_refreshed ? "refreshed=" : "found=") + found.toUtf8() + '\n');
        if (m_refreshed)
            return finish("done");
        m_refreshed = true;
        const QAbstractItemModel *const table = window->findChild<QTableView *>(QStringLiteral("MSFlexGrid1"))->model();
        const auto refilled = [this] { m_tableRefilled = true; };
        connect(table, &QAbstractItemModel::modelReset, this, refilled);
        connect(table, &QAbstractItemModel::layoutChanged, this, refilled);
        connect(table, &QAbstractItemModel::dataChanged, this, refilled);
        refresh->click();
    }

    void finish(const char *how)
    {
        m_poll.stop();
        m_report.write(QByteArray("end=") + how + '\n');
        m_report.close();
        QCoreApplication::exit(0);
    }

    QFile m_report;
    QTimer m_poll;
    bool m_refreshed = false;
    bool m_tableRefilled = false;
    bool m_failed = false;
    bool m_retried = false;
};

} // namespace

class CapabilityProbePlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "capability_probe.json")

public:
    QObject *create(const QString &key, const QString &) override
    {
        if (key.compare(QLatin1String("veltrinprobe"), Qt::CaseInsensitive) != 0)
            return nullptr;
        return new Probe(qEnvironmentVariable("VELTRIN_PROBE_REPORT"));
    }
};

#include "capability_probe_plugin.moc"
