// The desktop entry, the AppStream metadata and the manual page, checked by
// the validators that menus, software centres and man use.
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

class TestDesktopMetadata : public QObject
{
    Q_OBJECT

private slots:
    void passesValidator_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("args");
        // desktop-file-validate and groff exit 0 on warnings but say nothing when
        // clean; appstreamcli fails on warnings and always prints a verdict.
        QTest::addColumn<bool>("silentWhenClean");

        QTest::newRow("desktop entry") << "desktop-file-validate" << QStringList{VELTRIN_DESKTOP_ENTRY} << true;
        // --no-net: URL checks would reach out of the build machine.
        QTest::newRow("metainfo") << "appstreamcli" << QStringList{"validate", "--no-net", VELTRIN_METAINFO} << false;
        QTest::newRow("manual page") << "groff" << QStringList{"-man", "-ww", "-z", VELTRIN_MAN_PAGE} << true;
    }

    void passesValidator()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, args);
        QFETCH(bool, silentWhenClean);
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(tool + " is not installed"));

        QProcess validator;
        validator.setProcessChannelMode(QProcess::MergedChannels);
        validator.start(tool, args);
        QVERIFY(validator.waitForFinished(60'000));
        const QString out = QString::fromLocal8Bit(validator.readAll());
        QVERIFY2(validator.exitStatus() == QProcess::NormalExit && validator.exitCode() == 0, qPrintable(out));
        if (silentWhenClean)
            QVERIFY2(out.trimmed().isEmpty(), qPrintable(out));
    }
};

QTEST_GUILESS_MAIN(TestDesktopMetadata)
#include "test_desktop_metadata.moc"
