#include "finder/window/whole_file.h"

#include <QCoreApplication>
#include <QSaveFile>

QString writeWholeFile(const QString &path, const QByteArray &bytes)
{
    // Unbuffered, because a buffered QSaveFile commits a short write (a full
    // disk, a file size limit) as if it had succeeded.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        return file.error() != QFileDevice::NoError
                ? file.errorString()
                : QCoreApplication::translate("WholeFile",
                                              "Only %1 of %2 bytes could be written; the disk may be full.")
                          .arg(qMax<qint64>(written, 0))
                          .arg(bytes.size());
    }
    if (!file.commit())
        return file.errorString();
    return {};
}
