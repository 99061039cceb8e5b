#pragma once

#include "devicelist/device_record.h"
#include "devicelist/site_plan.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QWidget;

// "Save report…": the hand-over report of the comparison shown, as a PDF.
// The site is named after its plan until the user names it otherwise.
class ReportSaver : public QObject
{
    Q_OBJECT

public:
    // What is compared now, taken when the report is written.
    struct Compared
    {
        QString planPath;
        SitePlan plan;
        QList<DeviceRecord::Fields> devices;
        QStringList interfaces;
    };

    ReportSaver(QWidget &window, std::function<Compared()> compared, QObject *parent = nullptr);

    QAction *action() const { return m_action; }
    // Writes the report of what is compared now. Returns why it failed, or
    // an empty string.
    QString save(const QString &site, const QString &path) const;

private:
    void ask();

    QWidget &m_window;
    std::function<Compared()> m_compared;
    QAction *m_action = nullptr;
};
