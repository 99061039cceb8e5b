#include "endpoint_error.h"
#include "failure_message.h"

#include <QTest>

Q_DECLARE_METATYPE(EndpointError)

class TestFinderFailureMessage : public QObject
{
    Q_OBJECT

private slots:
    void namesCauseAndRemedy_data()
    {
        using E = EndpointError;
        QTest::addColumn<EndpointError>("error");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("mentionsSetcap");
        QTest::newRow("port held")
            << E{E::Operation::Bind, "0.0.0.0", 1010, QAbstractSocket::AddressInUseError, "Address in use"}
            << QStringList{"0.0.0.0:1010", "Address in use", "Another program holds UDP port 1010"} << false;
        QTest::newRow("privileged port")
            << E{E::Operation::Bind, "0.0.0.0", 1010, QAbstractSocket::SocketAccessError, "Permission denied"}
            << QStringList{"Permission denied", "sudo setcap cap_net_bind_service=+ep '/opt/v f/veltrin-finder'"}
            << true;
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
        const QString message = failureMessage(error, "/opt/v f/veltrin-finder");
        for (const QString &part : expected)
            QVERIFY2(message.contains(part), qPrintable(message));
        QCOMPARE(message.contains("setcap"), mentionsSetcap);
    }

    // Part of a send failed: the interface is named once, the reason kept.
    void warningNamesWhatWasMissed()
    {
        using E = EndpointError;
        E error{E::Operation::Send, "255.255.255.255", 8002, QAbstractSocket::NetworkError,
                "Unable to send a message (Operation not permitted) (via wlan0)"};
        error.interfaceName = "wlan0";
        QCOMPARE(warningMessage(error),
                 "The request could not be sent through interface wlan0.\n\n"
                 "Reason: Unable to send a message (Operation not permitted)\n\n"
                 "Devices reached only through wlan0 are not listed. Check its firewall and its connection.");

        const E target{E::Operation::Send, "10.5.0.9", 8002, QAbstractSocket::NetworkError,
                       "No route (3 of 254 target addresses failed)"};
        const QString message = warningMessage(target);
        QVERIFY2(message.contains("10.5.0.9:8002") && message.contains("3 of 254"), qPrintable(message));
    }
};

QTEST_APPLESS_MAIN(TestFinderFailureMessage)
#include "test_finder_failure_message.moc"
