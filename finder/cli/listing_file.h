#pragma once

#include "finder/cli/descriptor_writer.h"

#include <QByteArray>
#include <QString>

// Where --list writes: standard output as the scan goes, checked write by
// write, or, with --output FILE, a temporary file beside FILE that replaces
// it only on commit(), so a reader never sees half a listing and a failed
// scan leaves the last one. Every write, the flush to the disk and the rename
// are checked: a full disk leaves FILE as it was, and no temporary file.
// FILE must be a regular file or not exist: a device, FIFO, directory or
// socket is refused, and so is a symbolic link, which is not followed.
class ListingFile
{
public:
    // An empty path: standard output.
    explicit ListingFile(const QString &path = {});
    // Removes the temporary file unless it was committed.
    ~ListingFile();
    ListingFile(const ListingFile &) = delete;
    ListingFile &operator=(const ListingFile &) = delete;

    // Creates the temporary file. False when it cannot; errorString() says why.
    bool open();
    // False, and nothing more is written, once the output is not Open.
    bool write(const QByteArray &bytes);
    DescriptorWriter::State state() const;
    // Puts what was written in FILE's place, with FILE's permissions if it
    // existed. False when it could not be written whole; FILE is then as it
    // was.
    bool commit();
    QString errorString() const;

private:
    bool fail(const QString &reason);
    void discard();

    QString m_path;
    DescriptorWriter m_writer;
    QByteArray m_temporary;   // the temporary file's path until committed
    int m_descriptor = -1;
    QString m_error;
};
