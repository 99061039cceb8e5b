// The whole finder in the lab's finder namespace, answered by three simulated
// devices that each answer twice: every answer gets its row and is counted,
// and the second answer of each device is marked as a repeat of the first.
#include "devicelist/answer_marks.h"
#include "devicelist/device_roles.h"
#include "finder/window/count_tool_tip.h"
#include "tests/faults/fault_lab.h"
#include "tests/lab/lab_environment.h"
#include "finder/window/main_window.h"

#include <QAbstractItemModel>
#include <QLabel>
#include <QTableView>
#include <QTest>

using namespace fault_lab;

constexpr int LabTimeoutMs = 5000;

class TestFinderLabRepeats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!lab::inLab())
            QSKIP("needs the network lab: run it through ctest or tools/netlab.sh run");
    }

    void secondAnswersAreMarkedAsRepeats()
    {
        MainWindow window;
        window.show();
        QTRY_COMPARE_WITH_TIMEOUT(countLabel(window)->text(), " 6 device found", LabTimeoutMs);
        QCOMPARE(countLabel(window)->findChild<CountToolTip *>()->text(), "6 answers from 3 devices");

        const QAbstractItemModel &model = *table(window);
        QCOMPARE(model.rowCount(), 6);
        QHash<QString, int> firstRowOfMac;
        int repeats = 0;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QString mac = model.index(row, 3).data().toString();
            const QString toolTip = model.index(row, 5).data(Qt::ToolTipRole).toString();
            if (!firstRowOfMac.contains(mac)) {
                firstRowOfMac.insert(mac, row);
                QCOMPARE(toolTip, QString());
                QVERIFY(!model.index(row, 0).data(DeviceRoles::AnswerKinds).isValid());
                continue;
            }
            ++repeats;
            QCOMPARE(toolTip, QString("Repeated answer: row %1 has the same MAC address.").arg(firstRowOfMac[mac] + 1));
            // The same device from the same address: no conflict.
            QCOMPARE(model.index(row, 1).data(DeviceRoles::AnswerKinds).toInt(), AnswerMarks::Repeat);
        }
        QCOMPARE(repeats, 3);
    }
};

QTEST_MAIN(TestFinderLabRepeats)
#include "test_finder_lab_repeats.moc"
