// When nothing answers a request, the empty grid says where the request went
// and what usually keeps devices silent; the first reply or a refresh takes
// it away. The count label is left alone.
#include "finder/core/finder_controller.h"
#include "finder/window/main_window.h"
#include "finder/window/no_reply_placeholder.h"
#include "tests/support/test_finder_loopback.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLabel>
#include <QTableView>
#include <QTest>

constexpr int GenerousMs = 15000;

class TestNoReplyPlaceholder : public QObject
{
    Q_OBJECT

private slots:
    // The hint is softer than the text but readable: 4.5:1 on a light and a
    // dark palette, whatever grey the style's placeholder colour is.
    void hintContrastOnLightAndDarkPalettes_data()
    {
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("base");
        QTest::newRow("light") << QColor(Qt::black) << QColor(Qt::white);
        QTest::newRow("dark") << QColor(0xfc, 0xfc, 0xfc) << QColor(0x2a, 0x2e, 0x32);
        QTest::newRow("dim dark") << QColor(0xa0, 0xa0, 0xa0) << QColor(0x30, 0x30, 0x30);
    }

    void hintContrastOnLightAndDarkPalettes()
    {
        QFETCH(QColor, text);
        QFETCH(QColor, base);
        QCOMPARE(qRound(NoReplyPlaceholder::contrastRatio(Qt::black, Qt::white) * 10), 210);
        QWidget viewport;
        auto *hint = new NoReplyPlaceholder(&viewport);
        QPalette palette;
        palette.setColor(QPalette::Text, text);
        palette.setColor(QPalette::Base, base);
        palette.setColor(QPalette::PlaceholderText, QColor(0x80, 0x80, 0x80));
        viewport.setPalette(palette);
        const QColor shown = hint->palette().color(hint->foregroundRole());
        QVERIFY2(NoReplyPlaceholder::contrastRatio(shown, base) >= 4.5, qPrintable(shown.name()));
        QVERIFY2(shown != text || NoReplyPlaceholder::contrastRatio(text, base) < 5, "no softer than the text");
    }

    void appearsAfterThreeSecondsAndGoesWithTheFirstReply()
    {
        LoopbackDevices devices;
        QVERIFY(devices.isReady());
        QElapsedTimer sinceRequest;
        sinceRequest.start();
        MainWindow window(devices.finderSettings());
        window.show();
        auto *grid = window.findChild<QTableView *>("MSFlexGrid1");
        auto *label = window.findChild<QLabel *>("tFoundDevice");
        auto *placeholder = grid->viewport()->findChild<QLabel *>("noReplyPlaceholder");
        QVERIFY(placeholder);
        QVERIFY(!placeholder->isVisible());

        QTRY_VERIFY_WITH_TIMEOUT(placeholder->isVisible(), GenerousMs);
        // Not at once; Qt's coarse timers may fire up to 5 % early.
        QVERIFY(sinceRequest.elapsed() >= FinderController::NoReplyHintDelayMs * 9 / 10);
        const QString text = placeholder->text();
        QCOMPARE(placeholder->textFormat(), Qt::PlainText);
        QVERIFY2(text.contains("No device has answered yet."), qPrintable(text));
        // Loopback tests send straight to the simulated device's address.
        QVERIFY2(text.contains("127.0.0.1, UDP port " + QString::number(devices.finderSettings().destinationPort)),
                 qPrintable(text));
        for (const char *cause : {"another network segment", "firewall", "port 1010", "VPN"})
            QVERIFY2(text.contains(cause), cause);
        QCOMPARE(placeholder->geometry(), grid->viewport()->rect());
        QCOMPARE(label->text(), QString());

        // A datagram that is no device reply changes nothing here.
        devices.answer("hello");
        QTRY_COMPARE(label->text(), " 0 device found");
        QVERIFY(placeholder->isVisible());
        devices.answer(LoopbackDevices::reply(1));
        QTRY_COMPARE(label->text(), " 1 device found");
        QVERIFY(!placeholder->isVisible());
    }

    void refreshTakesItAwayAndWaitsAgain()
    {
        LoopbackDevices devices;
        QVERIFY(devices.isReady());
        MainWindow window(devices.finderSettings());
        window.show();
        auto *placeholder = window.findChild<QLabel *>("noReplyPlaceholder");
        QTRY_VERIFY_WITH_TIMEOUT(placeholder->isVisible(), GenerousMs);
        window.findChild<QAbstractButton *>("cmdRefresh")->click();
        QVERIFY(!placeholder->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(placeholder->isVisible(), GenerousMs);

        // An answer within the wait: no placeholder at all.
        window.findChild<QAbstractButton *>("cmdRefresh")->click();
        devices.answer(LoopbackDevices::reply(1));
        QTest::qWait(FinderController::NoReplyHintDelayMs + 500);
        QVERIFY(!placeholder->isVisible());
    }
};

QTEST_MAIN(TestNoReplyPlaceholder)
#include "test_no_reply_placeholder.moc"
