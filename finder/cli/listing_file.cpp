#include "listing_file.h"

#include "terminal_output.h"

#include <QDir>

#include <unistd.h>

using namespace Qt::StringLiterals;

ListingFile::ListingFile(const QString &path)
    : m_path(path)
{
}

bool ListingFile::open()
{
    if (m_path.isEmpty())
        return true;
    m_file = std::make_unique<QSaveFile>(m_path);
    return m_file->open(QIODevice::WriteOnly);
}

void ListingFile::write(const QByteArray &bytes)
{
    if (m_file)
        m_file->write(bytes);   // a failed write fails the commit
    else
        writeAll(STDOUT_FILENO, bytes);
}

bool ListingFile::commit()
{
    return !m_file || m_file->commit();
}

QString ListingFile::errorString() const
{
    return m_file ? u"%1: %2"_s.arg(QDir::toNativeSeparators(m_path), m_file->errorString()) : QString();
}
