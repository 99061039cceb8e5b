#pragma once

#include <QByteArray>
#include <QString>

// Reads a plan file's bytes, and only from a regular file: a FIFO would
// block the reader, a device would never end, a folder is no plan.
namespace PlanFile {

struct Contents
{
    QByteArray bytes;
    QString error;   // why nothing was read
};
// At most maxBytes; a larger file is refused, as is a spreadsheet's own
// format, both before any read.
Contents read(const QString &path, qsizetype maxBytes);

} // namespace PlanFile
