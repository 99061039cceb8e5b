// The bind helper as the finder runs it: the socket it hands over, and each
// way it can fail, reported as a bind error instead of a hang or a lost
// descriptor. Binding port 1010 happens in a throw-away network namespace
// (tools/netlab.sh, run as root); the helper is also run as an unused uid
// without the capability, through a wrapper given as the helper's path.
#include "discovery/bind_helper_client.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace {

int socketOption(int fd, int option)
{
    int value = -1;
    socklen_t length = sizeof value;
    return ::getsockopt(fd, SOL_SOCKET, option, &value, &length) == 0 ? value : -1;
}

// No helper process is left behind, running or unreaped.
bool noChildLeft()
{
    return ::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

uid_t unusedUid()
{
    for (uid_t uid = 64000 + ::getpid() % 1000;; ++uid) {
        if (!::getpwuid(uid))
            return uid;
    }
}

} // namespace

class TestBindHelperClient : public QObject
{
    Q_OBJECT

    QString helper_;
    QTemporaryDir scripts_;

    // A stand-in for the helper: a shell script that gets the channel on its
    // standard input like the helper does.
    QString script(const QString &name, const QString &body)
    {
        const QString path = scripts_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(("#!/bin/sh\n" + body + '\n').toUtf8());
        file.setPermissions(QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        return path;
    }

    static EndpointError failure(const QString &helperPath)
    {
        auto answer = bind_helper::requestSocket(helperPath);
        if (const int *fd = std::get_if<int>(&answer)) {
            ::close(*fd);
            return {};
        }
        return std::get<EndpointError>(answer);
    }

private slots:
    void initTestCase()
    {
        if (!qEnvironmentVariableIsSet("VELTRIN_LAB_DIR"))
            QSKIP("binds port 1010: run it in the network lab (ctest or tools/netlab.sh run)");
        if (::geteuid() != 0)
            QSKIP("needs root in the lab namespace");
        helper_ = bind_helper::pathFor(QCoreApplication::applicationDirPath());
        QVERIFY2(QFileInfo(helper_).isExecutable(), qPrintable(helper_));
        QVERIFY(scripts_.isValid());
        QVERIFY(QFile::setPermissions(scripts_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                              | QFile::ReadOther | QFile::ExeOther));
    }

    void handsOverTheBoundPort()
    {
        auto answer = bind_helper::requestSocket(helper_);
        if (const EndpointError *error = std::get_if<EndpointError>(&answer))
            QFAIL(qPrintable(error->toString()));
        const int fd = std::get<int>(answer);
        sockaddr_in local{};
        socklen_t length = sizeof local;
        QCOMPARE(::getsockname(fd, reinterpret_cast<sockaddr *>(&local), &length), 0);
        QCOMPARE(local.sin_family, AF_INET);
        QCOMPARE(ntohs(local.sin_port), 1010);
        QCOMPARE(ntohl(local.sin_addr.s_addr), INADDR_ANY);
        QCOMPARE(socketOption(fd, SO_TYPE), SOCK_DGRAM);
        QCOMPARE(socketOption(fd, SO_BROADCAST), 1);
        // Exclusive: another program on the port fails instead of sharing it.
        QCOMPARE(socketOption(fd, SO_REUSEADDR), 0);
        QCOMPARE(socketOption(fd, SO_REUSEPORT), 0);
        QVERIFY(::fcntl(fd, F_GETFD) & FD_CLOEXEC);
        QVERIFY(noChildLeft());

        // While we hold it, the next helper meets a taken port.
        const EndpointError taken = failure(helper_);
        QCOMPARE(taken.code, QAbstractSocket::AddressInUseError);
        QCOMPARE(taken.reason, qt_error_string(EADDRINUSE));
        QCOMPARE(taken.operation, EndpointError::Operation::Bind);
        QCOMPARE(taken.port, 1010);
        ::close(fd);
        QVERIFY(noChildLeft());
    }

    void withoutTheCapabilityReportsPermission()
    {
        if (QStandardPaths::findExecutable("setpriv").isEmpty())
            QSKIP("setpriv (util-linux) is missing");
        if (QFile::exists("/proc/sys/net/ipv4/ip_unprivileged_port_start")) {
            QFile start("/proc/sys/net/ipv4/ip_unprivileged_port_start");
            QVERIFY(start.open(QIODevice::ReadOnly));
            if (start.readAll().trimmed().toInt() <= 1010)
                QSKIP("this namespace lets anyone bind port 1010");
        }
        const QString uid = QString::number(unusedUid());
        const QString setpriv = QStandardPaths::findExecutable("setpriv");
        const QString asUser = script("as-user", QString("exec %1 --reuid=%2 --regid=%2 --clear-groups '%3'")
                                                         .arg(setpriv, uid, helper_));
        const EndpointError denied = failure(asUser);
        QCOMPARE(denied.code, QAbstractSocket::SocketAccessError);
        QCOMPARE(denied.reason, qt_error_string(EACCES));
        QVERIFY(noChildLeft());
    }

    void brokenHelpersAreBindFailures_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("reason");
        QTest::newRow("exits unheard") << "exit 0" << "ended without an answer";
        QTest::newRow("answers garbage") << "printf 'x' >&0" << "ended without an answer";
        QTest::newRow("hangs") << "exec /bin/sleep 60" << "did not answer";
        QTest::newRow("given an argument") << QString("exec '%1' 0.0.0.0").arg(helper_)
                                           << qt_error_string(EINVAL);
        // Only a UDP socket on the helper's port is taken.
        const QString standIn = QCoreApplication::applicationDirPath() + "/stand_in_bind_helper";
        QTest::newRow("hands over another port") << QString("exec '%1' udp 1011").arg(standIn)
                                                 << "handed over no usable socket";
        QTest::newRow("hands over a stream socket") << QString("exec '%1' tcp 1010").arg(standIn)
                                                    << "handed over no usable socket";
    }

    void brokenHelpersAreBindFailures()
    {
        QFETCH(QString, body);
        QFETCH(QString, reason);
        const EndpointError error = failure(script(QTest::currentDataTag(), body));
        QVERIFY2(error.reason.contains(reason), qPrintable(error.reason));
        QCOMPARE(error.operation, EndpointError::Operation::Bind);
        QVERIFY(noChildLeft());
        // The helper's port is free again: nothing kept it.
        auto answer = bind_helper::requestSocket(helper_);
        QVERIFY(std::holds_alternative<int>(answer));
        ::close(std::get<int>(answer));
    }

    // Asked without waiting: the thread goes on while the helper works, and
    // the answer is the one requestSocket() gives. A hung helper times out;
    // one given up on is killed and reaped.
    void askedWithoutWaiting()
    {
        bind_helper::Request slow(script("slow", QString("sleep 0.5; exec '%1'").arg(helper_)));
        QSignalSpy finished(&slow, &bind_helper::Request::finished);
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&ticks] { ++ticks; });
        tick.start(10);
        QVERIFY(finished.wait(5000));
        QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));   // blocked, it would tick once
        auto answer = slow.takeAnswer();
        QVERIFY(std::holds_alternative<int>(answer));
        QCOMPARE(socketOption(std::get<int>(answer), SO_TYPE), SOCK_DGRAM);
        ::close(std::get<int>(answer));
        QVERIFY(noChildLeft());

        bind_helper::Request hung(script("hung", "exec /bin/sleep 60"), 300);
        QSignalSpy hungFinished(&hung, &bind_helper::Request::finished);
        QVERIFY(hungFinished.wait(3000));
        const auto timedOut = hung.takeAnswer();
        QVERIFY(std::holds_alternative<EndpointError>(timedOut));
        QVERIFY(std::get<EndpointError>(timedOut).reason.contains("did not answer"));
        QVERIFY(noChildLeft());
        {
            const bind_helper::Request dropped(script("dropped", "exec /bin/sleep 60"));
        }
        QVERIFY(noChildLeft());
    }

    void missingHelperIsAFailureToStart()
    {
        const EndpointError error = failure(scripts_.filePath("absent"));
        QVERIFY2(error.reason.contains("Could not start"), qPrintable(error.reason));
        QVERIFY(noChildLeft());
    }
};

QTEST_GUILESS_MAIN(TestBindHelperClient)
#include "test_bind_helper_client.moc"
