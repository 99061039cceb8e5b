#include "finder/cli/listing_file.h"

#include <QDir>

#include <unistd.h>

using namespace Qt::StringLiterals;

ListingFile::ListingFile(const QString &path)
    : m_path(path)
    , m_standardOutput(STDOUT_FILENO)
{
}

bool ListingFile::open()
{
    if (m_path.isEmpty())
        return true;
    m_file = std::make_unique<QSaveFile>(m_path);
    return m_file->open(QIODevice::WriteOnly);
}

bool ListingFile::write(const QByteArray &bytes)
{
    if (!m_file)
        return m_standardOutput.write(bytes);
    m_file->write(bytes);   // a failed write fails the commit
    return true;
}

DescriptorWriter::State ListingFile::state() const
{
    return m_file ? DescriptorWriter::State::Open : m_standardOutput.state();
}

bool ListingFile::commit()
{
    return !m_file || m_file->commit();
}

QString ListingFile::errorString() const
{
    return m_file ? u"%1: %2"_s.arg(QDir::toNativeSeparators(m_path), m_file->errorString())
                  : m_standardOutput.failure();
}
