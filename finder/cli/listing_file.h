#pragma once

#include "finder/cli/descriptor_writer.h"

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <memory>

// Where --list writes: standard output as the scan goes, checked write by
// write, or, with --output FILE, a temporary file beside FILE that replaces
// it only on commit(), so a reader never sees half a listing and a failed
// scan leaves the last one.
class ListingFile
{
public:
    // An empty path: standard output.
    explicit ListingFile(const QString &path = {});

    // Creates the temporary file. False when it cannot; errorString() says why.
    bool open();
    // False, and nothing more is written, once the output is not Open.
    bool write(const QByteArray &bytes);
    DescriptorWriter::State state() const;
    // Puts what was written in FILE's place. False when it could not be
    // written whole; FILE is then as it was.
    bool commit();
    QString errorString() const;

private:
    QString m_path;
    DescriptorWriter m_standardOutput;
    std::unique_ptr<QSaveFile> m_file;   // a temporary file until committed
};
