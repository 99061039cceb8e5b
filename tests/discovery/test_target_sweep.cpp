// The paced sweep over a target list: every address once and in order, the
// first at once and the rest never faster than the rate, failures counted,
// and a stopped sweep sends nothing more.
#include "discovery/target_sweep.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

namespace {

TargetList targets(std::initializer_list<TargetRange> ranges)
{
    return TargetList{QList<TargetRange>(ranges), {}};
}

} // namespace

class TestTargetSweep : public QObject
{
    Q_OBJECT

private slots:
    void sendsEveryAddressOnceInOrder()
    {
        TargetSweep sweep;
        QSignalSpy finished(&sweep, &TargetSweep::finished);
        QList<quint32> sent;
        sweep.start(targets({{10, 12}, {0xfffffffe, 0xffffffff}, {40, 40}}), TargetSweep::MaxRate,
                    [&sent](quint32 address) -> std::optional<EndpointError> {
                        sent << address;
                        return std::nullopt;
                    });
        QVERIFY(finished.count() == 1 || finished.wait(2000));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(sent, (QList<quint32>{10, 11, 12, 0xfffffffe, 0xffffffff, 40}));
        QCOMPARE(sweep.attempted(), quint64(6));
        QVERIFY(!sweep.isRunning());
        QTest::qWait(20);
        QCOMPARE(finished.count(), 1);
    }

    void neverFasterThanTheRate()
    {
        constexpr double rate = 400;
        TargetSweep sweep;
        QSignalSpy finished(&sweep, &TargetSweep::finished);
        quint64 sent = 0;
        QElapsedTimer clock;
        clock.start();
        sweep.start(targets({{1, 60}}), rate, [&sent](quint32) -> std::optional<EndpointError> {
            ++sent;
            return std::nullopt;
        });
        // The first request goes out before start() returns, the rest wait.
        QCOMPARE(sent, quint64(1));
        while (finished.isEmpty()) {
            QTest::qWait(7);
            // Allowed: the first, one per 1/rate since, and the saved-up burst.
            const double allowed = 1 + clock.nsecsElapsed() * 1e-9 * rate + std::max(1.0, rate * 0.02);
            QVERIFY2(double(sent) <= allowed, qPrintable(QStringLiteral("%1 sent, %2 allowed").arg(sent).arg(allowed)));
            QVERIFY(clock.elapsed() < 5000);
        }
        QCOMPARE(sent, quint64(60));
        // 59 after the first at 400/s take at least ~0.14 s, less the burst.
        QVERIFY(clock.elapsed() >= 59.0 / rate * 1000 - 25);
    }

    void countsFailuresAndKeepsTheFirst()
    {
        TargetSweep sweep;
        QSignalSpy finished(&sweep, &TargetSweep::finished);
        sweep.start(targets({{1, 4}}), TargetSweep::MaxRate, [](quint32 address) -> std::optional<EndpointError> {
            if (address % 2)
                return std::nullopt;
            return EndpointError{EndpointError::Operation::Send, QString::number(address), 8002,
                                 QAbstractSocket::NetworkError, QStringLiteral("unreachable")};
        });
        QVERIFY(finished.count() == 1 || finished.wait(2000));
        QCOMPARE(sweep.attempted(), quint64(4));
        QCOMPARE(sweep.failed(), quint64(2));
        QVERIFY(sweep.firstFailure());
        QCOMPARE(sweep.firstFailure()->address, QStringLiteral("2"));
    }

    void stopAndRestart()
    {
        TargetSweep sweep;
        QSignalSpy finished(&sweep, &TargetSweep::finished);
        QList<quint32> sent;
        const auto record = [&sent](quint32 address) -> std::optional<EndpointError> {
            sent << address;
            return std::nullopt;
        };
        sweep.start(targets({{100, 199}}), 50, record);
        QTest::qWait(30);
        sweep.stop();
        const qsizetype afterStop = sent.size();
        QVERIFY(afterStop >= 1 && afterStop < 100);
        QTest::qWait(60);
        QCOMPARE(sent.size(), afterStop);
        QCOMPARE(finished.count(), 0);

        // A new start begins the new list from its first address.
        sent.clear();
        sweep.start(targets({{7, 8}}), TargetSweep::MaxRate, record);
        QVERIFY(finished.count() == 1 || finished.wait(2000));
        QCOMPARE(sent, (QList<quint32>{7, 8}));
        QCOMPARE(sweep.attempted(), quint64(2));
    }
};

QTEST_GUILESS_MAIN(TestTargetSweep)
#include "test_target_sweep.moc"
