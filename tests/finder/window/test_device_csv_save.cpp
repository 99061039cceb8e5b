// Save list…: the CSV bytes, the file dialog's proposal, and a failure.
#include "tests/finder/window/device_grid_fixture.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <memory>
#include <sys/resource.h>

class TestDeviceCsvSave : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        grid = std::make_unique<DeviceGrid>();
        grid->answer("10.0.0.10", "00-11-22-33-44-01", "=HYPERLINK(\"http://x\")", "@SUM(1)");
        grid->answer("10.0.0.9", "00-11-22-33-44-02", "Gate, \"north\"\r\nside\r\n");
        grid->answer("10.0.0.11", "00-11-22-33-44-03", "门口机", "000005050378");  // as received, not "-505-0378"
        grid->table.addEmptyRow();  // free rows are not written
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }
    void cleanup() { grid.reset(); }

    void writesUtf8CsvThatKeepsDeviceTextInert()
    {
        grid->sorting->sortBy(1, Qt::AscendingOrder);  // written in the order shown
        const QString path = dir->filePath("list.csv");
        QCOMPARE(grid->actions->writeList(path), QString());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray expected = "\xEF\xBB\xBF"
                                    "#,IP Address,Serial Number,MAC Address,SW Version,Description\r\n"
                                    "2,10.0.0.9,123456789012,00-11-22-33-44-02,1.0.2,\"Gate, \"\"north\"\"<U+000D><U+000A>side\"\r\n"
                                    "1,10.0.0.10,\"'@SUM(1)\",00-11-22-33-44-01,1.0.2,\"'=HYPERLINK(\"\"http://x\"\")\"\r\n"
                                    "3,10.0.0.11,000005050378,00-11-22-33-44-03,1.0.2,"
                                    + QString("门口机").toUtf8() + "\r\n";
        QCOMPARE(file.readAll(), expected);
    }

    void dialogProposesDatedNameAndWritesThere()
    {
        QString proposed;
        const QString path = dir->filePath("chosen");
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            proposed = dialog->selectedFiles().value(0);
            dialog->selectFile(path);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        grid->actions->saveList();
        QCOMPARE(QFileInfo(proposed).fileName(),
                 "veltrin-devices-" + QDate::currentDate().toString(Qt::ISODate) + ".csv");
        // The default suffix is added.
        QFile file(path + ".csv");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count("\r\n"), 4);  // header and three rows: a break inside a value is escaped
    }

    void failureSaysWhyAndLeavesNoFile()
    {
        const QString path = dir->filePath("missing-folder/list.csv");
        QVERIFY(!grid->actions->writeList(path).isEmpty());

        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->selectFile(path);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        grid->view.show();
        grid->actions->saveList();
        QMessageBox *box = nullptr;
        QTRY_VERIFY((box = grid->view.findChild<QMessageBox *>("saveFailureDialog")) && box->isVisible());
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QVERIFY2(box->text().contains(QDir::toNativeSeparators(path)), qPrintable(box->text()));
        QVERIFY2(box->text().contains("Reason: ") && box->text().contains("No such file or directory"),
                 qPrintable(box->text()));
        box->close();
        QVERIFY(!QFile::exists(path));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
    }

    void failedWriteKeepsThePreviousFile()
    {
        const QString path = dir->filePath("kept.csv");
        QFile previous(path);
        QVERIFY(previous.open(QIODevice::WriteOnly));
        previous.write("previous list\n");
        previous.close();

        // A disk that fills up half-way through: files may not grow past 64 bytes.
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit small = old;
        small.rlim_cur = 64;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const QString failure = grid->actions->writeList(path);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY2(failure.contains("could be written"), qPrintable(failure));
        QVERIFY(previous.open(QIODevice::ReadOnly));
        QCOMPARE(previous.readAll(), "previous list\n");
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList({"kept.csv"}));
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<DeviceGrid> grid;
};

QTEST_MAIN(TestDeviceCsvSave)
#include "test_device_csv_save.moc"
