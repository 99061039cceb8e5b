#include "discovery/bind_helper_client.h"
#include "discovery/endpoint_error.h"
#include "finder/core/failure_message.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

Q_DECLARE_METATYPE(EndpointError)

namespace {

const EndpointError denied{EndpointError::Operation::Bind, "0.0.0.0", 1010, QAbstractSocket::SocketAccessError,
                           "Permission denied"};

// Lays out prefix/bin/veltrin-finder and, unless told not to, the bind helper
// beside it, executable and root's as an install leaves it; returns the
// finder's path.
QString installFinder(const QString &prefix, bool withHelper = true)
{
    const QString bin = prefix + "/bin";
    if (!QDir().mkpath(bin))
        return {};
    const QString helper = bind_helper::pathFor(bin);
    if (withHelper) {
        QDir().mkpath(QFileInfo(helper).absolutePath());
        QFile file(helper);
        if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(file.permissions() | QFile::ExeOwner))
            return {};
    }
    return bin + "/veltrin-finder";
}

QString offeredCommand(const QString &message)
{
    return QRegularExpression("^    (sudo setcap .*)$", QRegularExpression::MultilineOption).match(message).captured(1);
}

} // namespace

class TestFinderFailureMessage : public QObject
{
    Q_OBJECT

    QTemporaryDir prefix_;
    QString finder_;

private slots:
    void initTestCase()
    {
        finder_ = installFinder(prefix_.filePath("opt/v f"));
        QVERIFY(!finder_.isEmpty());
    }

    void namesCauseAndRemedy_data()
    {
        using E = EndpointError;
        QTest::addColumn<EndpointError>("error");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("mentionsSetcap");
        QTest::newRow("port held")
            << E{E::Operation::Bind, "0.0.0.0", 1010, QAbstractSocket::AddressInUseError, "Address in use"}
            << QStringList{"0.0.0.0:1010", "Address in use", "Another program holds UDP port 1010"} << false;
        QTest::newRow("privileged port") << denied << QStringList{"Permission denied", "bind helper"} << true;
        QTest::newRow("denied on a high port")
            << E{E::Operation::Bind, "0.0.0.0", 41010, QAbstractSocket::SocketAccessError, "Permission denied"}
            << QStringList{"0.0.0.0:41010", "Permission denied"} << false;
        QTest::newRow("send")
            << E{E::Operation::Send, "255.255.255.255", 8002, QAbstractSocket::NetworkError, "Network unreachable"}
            << QStringList{"send", "255.255.255.255:8002", "Network unreachable"} << false;
    }

    void namesCauseAndRemedy()
    {
        QFETCH(EndpointError, error);
        QFETCH(QStringList, expected);
        QFETCH(bool, mentionsSetcap);
        const QString message = failureMessage(error, finder_);
        for (const QString &part : expected)
            QVERIFY2(message.contains(part), qPrintable(message));
        QCOMPARE(message.contains("setcap"), mentionsSetcap);
        // The command line has no button to press.
        const QString listed = failureMessage(error, finder_, RetryBy::RunningAgain);
        QVERIFY2(!listed.contains("Refresh") && listed.contains("the command again"), qPrintable(listed));
    }

    // Part of a send failed: the interface is named once, the reason kept.
    // When every interface failed, the failure names the first one.
    void warningNamesWhatWasMissed()
    {
        using E = EndpointError;
        E error{E::Operation::Send, "255.255.255.255", 8002, QAbstractSocket::NetworkError,
                "Unable to send a message (Operation not permitted)"};
        error.interfaceName = "wlan0";
        QCOMPARE(warningMessage(error),
                 "The request could not be sent through interface wlan0.\n\n"
                 "Reason: Unable to send a message (Operation not permitted)\n\n"
                 "Devices reached only through wlan0 are not listed. Check its firewall and its connection.");
        QVERIFY(failureMessage(error, finder_).contains(
                "\n\nReason: Unable to send a message (Operation not permitted) (via wlan0)\n\n"));

        const E target{E::Operation::Send, "10.5.0.9", 8002, QAbstractSocket::NetworkError,
                       "No route (3 of 254 target addresses failed)"};
        const QString message = warningMessage(target);
        QVERIFY2(message.contains("10.5.0.9:8002") && message.contains("3 of 254"), qPrintable(message));
    }

    // The capability goes to the helper, never to the window program.
    void remedyGivesTheCapabilityToTheHelper()
    {
        const QString helper = bind_helper::pathFor(QFileInfo(finder_).absolutePath());
        const QString message = failureMessage(denied, finder_);
        QCOMPARE(offeredCommand(message), "sudo setcap cap_net_bind_service=+ep " + shellQuoted(helper));
        QVERIFY2(!message.contains(finder_), qPrintable(message));
    }

    void missingHelperIsNamedNotOffered()
    {
        const QString finder = installFinder(prefix_.filePath("no-helper"), false);
        const QString message = failureMessage(denied, finder);
        QVERIFY2(message.contains("missing") && message.contains(shellQuoted(bind_helper::pathFor(
                         QFileInfo(finder).absolutePath()))),
                 qPrintable(message));
        QVERIFY2(!message.contains("setcap"), qPrintable(message));
    }

    // A capability cannot mend these: installing again does.
    void brokenHelperIsToldToBeInstalledAgain_data()
    {
        QTest::addColumn<bool>("executable");
        QTest::addColumn<uint>("owner");
        QTest::addColumn<QString>("named");
        QTest::newRow("not executable") << false << 0u << "cannot be run (it is not executable)";
        QTest::newRow("not root's") << true << 65534u << "is not owned by root";
    }

    void brokenHelperIsToldToBeInstalledAgain()
    {
        QFETCH(bool, executable);
        QFETCH(uint, owner);
        QFETCH(QString, named);
        if (::geteuid() != 0)
            QSKIP("needs root to give the helper away");
        const QString finder = installFinder(prefix_.filePath(QTest::currentDataTag()));
        const QString helper = bind_helper::pathFor(QFileInfo(finder).absolutePath());
        QVERIFY(::chown(QFile::encodeName(helper).constData(), owner, 0) == 0);
        if (!executable)
            QVERIFY(QFile::setPermissions(helper, QFile::ReadOwner | QFile::WriteOwner));
        const QString message = failureMessage(denied, finder);
        QVERIFY2(message.contains(shellQuoted(helper) + " " + named) && message.contains("package again")
                         && !message.contains("setcap"),
                 qPrintable(message));
    }

    // The offered line, pasted into a shell with its command made harmless,
    // runs nothing that the path holds and passes the path through as one word.
    void pastedCommandRunsNothingFromThePath_data()
    {
        QTest::addColumn<QString>("shell");
        QTest::addColumn<QString>("folder");
        const QStringList folders{"v$(touch${IFS}PWNED)", "v`touch PWNED`", "it's'$(touch PWNED)'",
                                  "a;touch PWNED;b", "a'\\''b \"c\" \\d $HOME", "'", "--x *"};
        for (const QString shell : {"sh", "bash"}) {
            for (const QString &folder : folders)
                QTest::addRow("%s %s", qPrintable(shell), qPrintable(folder)) << shell << folder;
        }
    }

    void pastedCommandRunsNothingFromThePath()
    {
        QFETCH(QString, shell);
        QFETCH(QString, folder);
        if (QStandardPaths::findExecutable(shell).isEmpty())
            QSKIP("shell not installed");
        const QTemporaryDir work;
        const QString finder = installFinder(work.filePath(folder));
        QVERIFY(!finder.isEmpty());
        const QString helper = bind_helper::pathFor(QFileInfo(finder).absolutePath());
        QVERIFY(QFileInfo::exists(helper));

        QString command = offeredCommand(failureMessage(denied, finder));
        QVERIFY2(command.startsWith("sudo setcap cap_net_bind_service=+ep "), qPrintable(command));
        command.replace("sudo setcap cap_net_bind_service=+ep ", "printf %s ");
        QProcess pasted;
        pasted.setWorkingDirectory(work.path());
        pasted.start(shell, {"-c", command});
        QVERIFY(pasted.waitForFinished());
        QCOMPARE(pasted.exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(pasted.readAllStandardOutput()), helper);
        QVERIFY(!QFile::exists(work.filePath("PWNED")));
        QVERIFY(QDir(work.path()).entryList({"PWNED"}, QDir::AllEntries | QDir::Hidden).isEmpty());
    }

    // A terminal acts on control characters before any quoting: no command.
    void controlCharactersInThePathOfferNoCommand()
    {
        const QTemporaryDir work;
        const QString finder = installFinder(work.filePath("a\003touch PWNED\nb"));
        QVERIFY(!finder.isEmpty());
        const QString message = failureMessage(denied, finder);
        QVERIFY2(offeredCommand(message).isEmpty() && !message.contains("sudo"), qPrintable(message));
        QVERIFY(message.contains("cap_net_bind_service"));
    }
};

QTEST_APPLESS_MAIN(TestFinderFailureMessage)
#include "test_finder_failure_message.moc"
