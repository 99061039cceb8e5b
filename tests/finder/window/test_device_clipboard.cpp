// What the grid puts on the clipboard: rows as tab-separated lines, single
// values, and the whole list with its header.
#include "tests/finder/window/device_grid_fixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include <memory>

namespace {

// Pastes text into an interactive bash on a terminal (script(1) gives it one)
// the way a terminal with bracketed paste does, then clears the line and
// leaves; tells whether anything ran (touch PWNED).
bool pasteRunsACommand(const QString &text)
{
    const QTemporaryDir work;
    QFile rc(work.filePath("rc"));
    if (!rc.open(QIODevice::WriteOnly) || rc.write("bind 'set enable-bracketed-paste on'\nPS1='ready> '\n") < 0)
        qFatal("cannot write %s", qPrintable(rc.fileName()));
    rc.close();
    QProcess shell;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TERM", "xterm");
    environment.insert("INPUTRC", "/dev/null");
    shell.setProcessEnvironment(environment);
    shell.setWorkingDirectory(work.path());
    shell.start("script", {"-qfec", "bash --noprofile --rcfile rc -i", "/dev/null"});
    QByteArray output;
    while (!output.contains("ready> ") && shell.waitForReadyRead(5000))
        output += shell.readAllStandardOutput();
    shell.write("\x1b[200~" + text.toUtf8() + "\x1b[201~");
    QTest::qWait(300);  // readline takes the paste before the keys that follow
    shell.write("\x15" "exit\n");
    shell.closeWriteChannel();
    if (!shell.waitForFinished(5000))
        qFatal("the shell did not finish: %s", (output + shell.readAll()).constData());
    return QFile::exists(work.filePath("PWNED"));
}

} // namespace

class TestDeviceClipboard : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        grid = std::make_unique<DeviceGrid>();
        grid->answer("10.0.0.10", "00-11-22-33-44-01", "Gate\r\nnorth");
        grid->answer("10.0.0.9", "00-11-22-33-44-02", "Lobby\tdesk");
        grid->answer("10.0.0.11", "00-11-22-33-44-03", "=1+1");
        grid->view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid->view));
        grid->view.setFocus();
        QApplication::clipboard()->clear();
    }
    void cleanup() { grid.reset(); }

    void ctrlCCopiesSelectedRowsOnOneLineEach()
    {
        grid->view.selectionModel()->setCurrentIndex(grid->view.model()->index(2, 4), QItemSelectionModel::NoUpdate);
        grid->selectRows({0, 2});
        QTest::keyClick(&grid->view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 "1\t10.0.0.10\t123456789012\t00-11-22-33-44-01\t1.0.2\tGate<U+000D><U+000A>north\n"
                 "3\t10.0.0.11\t123456789012\t00-11-22-33-44-03\t1.0.2\t=1+1\n");
    }

    void selectAllThenCtrlCCopiesEveryRowInUse()
    {
        grid->table.emptyRows();  // three free rows that Ctrl+A selects too
        grid->answer("10.0.0.12", "00-11-22-33-44-04");
        QTest::keyClick(&grid->view, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&grid->view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 "1\t10.0.0.12\t123456789012\t00-11-22-33-44-04\t1.0.2\tGate\n");
    }

    void copyAllHasHeaderAndFollowsTheShownOrder()
    {
        grid->sorting->sortBy(1, Qt::AscendingOrder);
        QTest::keyClick(&grid->view, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 "#\tIP Address\tSerial Number\tMAC Address\tSW Version\tDescription\n"
                 "2\t10.0.0.9\t123456789012\t00-11-22-33-44-02\t1.0.2\tLobby<U+0009>desk\n"
                 "1\t10.0.0.10\t123456789012\t00-11-22-33-44-01\t1.0.2\tGate<U+000D><U+000A>north\n"
                 "3\t10.0.0.11\t123456789012\t00-11-22-33-44-03\t1.0.2\t=1+1\n");
    }

    void contextMenuCopiesAddresses()
    {
        const auto action = [this](const QString &text) {
            for (QAction *a : grid->actions->contextMenu()->actions()) {
                if (a->text() == text)
                    return a;
            }
            qFatal("no action %s", qPrintable(text));
        };
        QStringList texts;
        for (QAction *a : grid->actions->contextMenu()->actions())
            texts << a->text();
        QCOMPARE(texts, QStringList({"&Open web page", "Open web page over HTT&PS", "", "Copy &IP address",
                                     "Copy &MAC address", "Copy command to &reach it", "&Copy row(s)", "Copy &all", "",
                                     "&Save list…"}));

        grid->view.setCurrentIndex(grid->view.model()->index(1, 0));
        grid->selectRows({1});
        action("Copy &IP address")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), "10.0.0.9");
        action("Copy &MAC address")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), "00-11-22-33-44-02");
        grid->selectRows({0, 1});
        action("Copy &IP address")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), "10.0.0.10\n10.0.0.9");
    }

    // A reply that ends a terminal's bracketed paste (ESC [201~), clears the
    // line (^U) and runs its own (^O): every copy holds the escapes the cells
    // draw, and pasting it into an interactive bash runs nothing.
    void copiedHostileTextRunsNothingWhenPasted()
    {
        if (QStandardPaths::findExecutable("script").isEmpty() || QStandardPaths::findExecutable("bash").isEmpty())
            QSKIP("script(1) or bash not installed");
        const QString attack = "Lobby\x1b[201~\x15touch PWNED\x0f";
        grid->table.emptyRows();
        grid->answer("10.0.0.12", "00-11\u009b2J\x1b[201~\x15touch PWNED\x0f", attack + "\u202e\n");
        grid->view.setCurrentIndex(grid->view.model()->index(0, 3));
        grid->selectRows({0});
        const auto copied = [this](const QKeySequence &keys) {
            QApplication::clipboard()->clear();
            QTest::keySequence(&grid->view, keys);
            return QApplication::clipboard()->text();
        };
        for (QAction *a : grid->actions->contextMenu()->actions()) {
            if (a->text() == "Copy &MAC address")
                a->trigger();
        }
        const QStringList texts{QApplication::clipboard()->text(), copied(QKeySequence::Copy),
                                copied(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C))};
        QCOMPARE(texts[0], "00-11<U+009B>2J<U+001B>[201~<U+0015>touch PWNED<U+000F>");
        QVERIFY2(texts[1].endsWith("\tLobby<U+001B>[201~<U+0015>touch PWNED<U+000F><U+202E>\n"), qPrintable(texts[1]));
        for (const QString &text : texts) {
            QVERIFY(std::none_of(text.cbegin(), text.cend(), [](QChar c) {
                return (c < u'\x20' && c != u'\t' && c != u'\n') || (c >= u'\x7f' && c <= u'\x9f') || c == u'\u202e';
            }));
            QVERIFY2(!pasteRunsACommand(text), qPrintable(text));
        }
    }

    void nothingToCopyLeavesTheClipboard()
    {
        QApplication::clipboard()->setText("before");
        grid->table.emptyRows();
        grid->selectRows({0, 1});
        QTest::keyClick(&grid->view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), "before");
    }

private:
    std::unique_ptr<DeviceGrid> grid;
};

QTEST_MAIN(TestDeviceClipboard)
#include "test_device_clipboard.moc"
