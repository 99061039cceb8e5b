#pragma once

#include <QList>
#include <QString>

// The watch mode's and the site plan's rows, measured in this process
// without the network: the roster against the plain table on the same
// parsed replies, memory over many rounds, and a full-size plan.
struct WatchBenchRow
{
    QString measurement;
    QString result;
    QString target;
    bool met = false;
};

QList<WatchBenchRow> watchBenchRows();
