#pragma once

#include "devicelist/device_record.h"
#include "devicelist/site_tally.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <utility>

// The hand-over report of a site compared with its plan, as text in tables:
// what the building's owner is given at the end of commissioning. Built
// here without a page; a writer lays it out (SiteReportPdf). Every cell of
// device or plan text is bounded as a table cell is and shown as the table
// draws it (visibleText()): one line, no control or bidi character.
class SiteReport
{
    Q_DECLARE_TR_FUNCTIONS(SiteReport)

public:
    struct Table
    {
        QString title;
        QStringList header;
        QList<QStringList> rows;
    };

    // Where and when the report is made; given by whoever makes it.
    struct Occasion
    {
        QString site;
        QString planPath;
        QDateTime time;
        QString computer;
        QStringList interfaces;   // "eth0 (192.168.1.0/24)"

        // On this computer, now.
        static Occasion now(const QString &site, const QString &planPath, const QStringList &interfaces);
    };

    // devices: those that answered, in arrival order, as the window's
    // comparison takes them; one answering twice is counted once.
    static SiteReport build(const Occasion &occasion, const SitePlan &plan,
                            const QList<DeviceRecord::Fields> &devices, const QLocale &locale = QLocale());

    // "400 of 420 planned devices answered · 20 missing · 5 unexpected · 6 differ"
    static QString summaryText(const SiteTally::Summary &summary, const QLocale &locale);
    // A site is named after its plan until the user names it: the file's
    // name without its extension.
    static QString defaultSiteName(const QString &planPath);

    QString title;
    // Label and value: date, computer, interfaces, plan.
    QList<std::pair<QString, QString>> facts;
    QString summary;
    // Missing, differs, unexpected, answered; the versions found; the
    // stations not on their planned version. A table without rows says so.
    QList<Table> tables;
};
