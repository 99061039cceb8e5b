// The finder as a normal user meets it: run by a throw-away uid (no passwd
// entry, no groups, no capabilities) in the lab's finder namespace, with the
// bind helper beside it carrying the capability. A probe plugin planted
// through QT_PLUGIN_PATH reports from inside the finder what it may do and
// what the window shows.
//
// The finder under test is VELTRIN_FINDER_UNDER_TEST (e.g. a package
// installed into a fresh root); without it, this build's finder and helper
// are staged in a temporary prefix. Runs as root in the network lab; skips
// (77) elsewhere, and where the filesystem cannot carry file capabilities.
#include "discovery/bind_helper_client.h"
#include "tests/faults/fault_lab.h"
#include "tests/lab/lab_environment.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUdpSocket>

#include <pwd.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstring>
#include <functional>

namespace {

constexpr int RunTimeoutMs = 30000;

std::pair<int, QString> run(const QString &program, const QStringList &args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(RunTimeoutMs))
        process.kill();
    process.waitForFinished();
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {code, QString::fromLocal8Bit(process.readAll())};
}

QString capabilityOf(const QString &path)
{
    // getcap prints "PATH CAPS", or nothing for a file without any.
    return run("getcap", {path}).second.trimmed().section(' ', 1);
}

uid_t unusedUid()
{
    for (uid_t uid = 63000 + ::getpid() % 1000;; ++uid) {
        if (!::getpwuid(uid))
            return uid;
    }
}

bool copyExecutable(const QString &from, const QString &to)
{
    return QDir().mkpath(QFileInfo(to).absolutePath()) && QFile::copy(from, to)
            && QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                                 | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
}

bool openToAll(const QString &path)
{
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                               | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
}

} // namespace

class TestFinderAsUser : public QObject
{
    Q_OBJECT

    // In the temporary folder, not the build tree: a checkout under /root
    // is out of the throw-away user's reach.
    QTemporaryDir stage_{QDir::tempPath() + "/veltrin-as-user-XXXXXX"};
    QString plugins_;
    QString finder_;
    QString helper_;
    uid_t uid_ = 0;

    // What the probe reported, key=value per line. With mend given, a
    // failure dialog is waited for, mend() called, and Refresh pressed.
    QHash<QString, QString> runFinder(const std::function<void()> &mend = {})
    {
        const QTemporaryDir home(stage_.filePath("home-XXXXXX"));
        if (::chown(QFile::encodeName(home.path()).constData(), uid_, uid_) != 0)
            return {};
        const QString report = home.filePath("report");
        const QString id = QString::number(uid_);
        QStringList args{"--reuid=" + id, "--regid=" + id, "--clear-groups", "--inh-caps=-all", "env", "-i",
                         "HOME=" + home.path(), "XDG_RUNTIME_DIR=" + home.path(), "QT_QPA_PLATFORM=offscreen",
                         "QT_PLUGIN_PATH=" + plugins_,
                         "QT_QPA_GENERIC_PLUGINS=veltrinprobe", "VELTRIN_PROBE_REPORT=" + report};
        // A sanitizer build's settings reach the finder too.
        for (const char *name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
            if (qEnvironmentVariableIsSet(name))
                args << QString::fromLatin1(name) + '=' + qEnvironmentVariable(name);
        }
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start("setpriv", args << finder_);
        if (mend && process.waitForStarted()) {
            const QDeadlineTimer deadline(RunTimeoutMs);
            while (!readReport(report).contains("dialog") && !deadline.hasExpired()
                   && process.state() == QProcess::Running) {
                QThread::msleep(20);
            }
            mend();
            QFile(report + ".retry").open(QIODevice::WriteOnly);
        }
        if (!process.waitForFinished(RunTimeoutMs))
            process.kill();
        process.waitForFinished();
        const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        const QString out = QString::fromLocal8Bit(process.readAll());
        QHash<QString, QString> fields = readReport(report);
        if (fields.isEmpty())
            qWarning("no report; finder exited %d: %s", code, qPrintable(out));
        fields.insert("exit", QString::number(code));
        return fields;
    }

    static QHash<QString, QString> readReport(const QString &path)
    {
        QHash<QString, QString> fields;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return fields;
        for (const QByteArray &line : file.readAll().split('\n')) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0) {
                fields.insert(QString::fromUtf8(line.left(eq)),
                              QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(eq + 1))));
            }
        }
        return fields;
    }

    static void verifyNoPrivilege(const QHash<QString, QString> &report)
    {
        for (const char *set : {"CapInh", "CapPrm", "CapEff", "CapAmb"})
            QVERIFY2(report.value(set) == "0000000000000000", qPrintable(set + (" = " + report.value(set))));
        QCOMPARE(report.value("tcp81"), QString::fromLocal8Bit(std::strerror(EACCES)));
    }

private slots:
    void initTestCase()
    {
        if (!lab::inLab())
            QSKIP("needs the network lab: run it through ctest or tools/netlab.sh run");
        if (::geteuid() != 0)
            QSKIP("needs root in the lab namespace, to switch to a throw-away user");
        for (const char *tool : {"setpriv", "setcap", "getcap"}) {
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP(qPrintable(QString("%1 is missing").arg(tool)));
        }
        QFile start("/proc/sys/net/ipv4/ip_unprivileged_port_start");
        if (start.open(QIODevice::ReadOnly) && start.readAll().trimmed().toInt() <= 1010)
            QSKIP("anyone may bind port 1010 in this namespace; nothing to show");
        QVERIFY(stage_.isValid());
        QVERIFY(openToAll(stage_.path()));
        uid_ = unusedUid();
        plugins_ = stage_.filePath("plugins");
        const QString probe = QDir(VELTRIN_PROBE_PLUGIN_PATH "/generic").entryList({"*.so"}, QDir::Files).value(0);
        QVERIFY(!probe.isEmpty());
        QVERIFY(copyExecutable(VELTRIN_PROBE_PLUGIN_PATH "/generic/" + probe, plugins_ + "/generic/" + probe));
        QVERIFY(openToAll(plugins_) && openToAll(plugins_ + "/generic"));

        finder_ = qEnvironmentVariable("VELTRIN_FINDER_UNDER_TEST");
        if (finder_.isEmpty()) {
            const QString bin = stage_.filePath("bin");
            finder_ = bin + "/veltrin-finder";
            helper_ = bind_helper::pathFor(bin);
            QVERIFY(copyExecutable(VELTRIN_FINDER_BINARY, finder_));
            QVERIFY(copyExecutable(bind_helper::pathFor(QFileInfo(VELTRIN_FINDER_BINARY).absolutePath()), helper_));
            for (QDir dir(QFileInfo(helper_).absolutePath()); dir != QDir(stage_.path()); dir.cdUp())
                QVERIFY(openToAll(dir.path()));
            if (run("setcap", {"cap_net_bind_service=+ep", helper_}).first != 0)
                QSKIP("this filesystem cannot carry file capabilities");
        } else {
            helper_ = bind_helper::pathFor(QFileInfo(finder_).absolutePath());
        }
        struct statvfs fs{};
        if (::statvfs(QFile::encodeName(helper_).constData(), &fs) == 0 && (fs.f_flag & ST_NOSUID))
            QSKIP("the helper's filesystem is mounted nosuid, which ignores file capabilities");
        QCOMPARE(lab::deviceAddresses(1).size(), 3);
    }

    // Only the helper carries a capability; the finder, and all it loads, none.
    void helperBindsForAFinderWithoutPrivilege()
    {
        QCOMPARE(capabilityOf(helper_), "cap_net_bind_service=ep");
        QCOMPARE(capabilityOf(finder_), QString());
        const int before = fault_lab::requestsSeen();

        const QHash<QString, QString> report = runFinder();
        verifyNoPrivilege(report);
        QVERIFY2(!report.contains("dialog"), qPrintable(report.value("dialog")));
        QCOMPARE(report.value("found"), " 3 device found");
        // Refresh asked the helper for a fresh socket, and it worked again.
        QCOMPARE(report.value("refreshed"), " 3 device found");
        QCOMPARE(report.value("end"), "done");
        QCOMPARE(report.value("exit"), "0");
        QVERIFY(fault_lab::settleRequests());
        QCOMPARE(fault_lab::requestsSeen() - before, 2);   // both from port 1010
    }

    // A helper that cannot bind is reported like the finder's own bind
    // failure; once the cause is mended, Refresh finds the devices.
    void helperFailureIsShownWithItsReason_data()
    {
        QTest::addColumn<bool>("portTaken");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("no capability") << false
                                       << QStringList{"0.0.0.0:1010", "Permission denied",
                                                      "sudo setcap cap_net_bind_service=+ep '" + helper_ + "'",
                                                      "then press Refresh"};
        QTest::newRow("port taken") << true
                                    << QStringList{"0.0.0.0:1010", "Address already in use",
                                                   "Another program holds UDP port 1010"};
    }

    void helperFailureIsShownWithItsReason()
    {
        QFETCH(bool, portTaken);
        QFETCH(QStringList, expected);
        QUdpSocket holder;
        if (portTaken) {
            QVERIFY(holder.bind(QHostAddress::AnyIPv4, 1010, QAbstractSocket::DontShareAddress));
        } else if (qEnvironmentVariableIsSet("VELTRIN_FINDER_UNDER_TEST")) {
            QSKIP("leaves the installed helper's capability alone");
        } else {
            QCOMPARE(run("setcap", {"-r", helper_}).first, 0);
        }
        // What the dialog tells the user to do.
        const auto mend = [&] {
            if (portTaken)
                holder.close();
            else
                run("setcap", {"cap_net_bind_service=+ep", helper_});
        };
        const QHash<QString, QString> report = runFinder(mend);
        QCOMPARE(capabilityOf(helper_), "cap_net_bind_service=ep");
        verifyNoPrivilege(report);
        const QString dialog = report.value("dialog");
        for (const QString &part : expected)
            QVERIFY2(dialog.contains(part), qPrintable(dialog));
        QCOMPARE(report.value("found"), " 3 device found");
        QCOMPARE(report.value("end"), "done");
    }
};

QTEST_GUILESS_MAIN(TestFinderAsUser)
#include "test_finder_as_user.moc"
