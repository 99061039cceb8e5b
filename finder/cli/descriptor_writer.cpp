#include "finder/cli/descriptor_writer.h"

#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

using namespace Qt::StringLiterals;

DescriptorWriter::DescriptorWriter(int descriptor, const QString &name)
    : m_descriptor(descriptor)
    , m_name(name)
{
}

bool DescriptorWriter::write(const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0 && m_state == State::Open) {
        const ssize_t written = ::write(m_descriptor, data, static_cast<size_t>(left));
        if (written > 0) {
            data += written;
            left -= written;
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && errno == EPIPE) {
            m_state = State::ReaderGone;
        } else {
            // write() returning 0 for a non-empty buffer: nothing fits.
            const int error = written < 0 ? errno : ENOSPC;
            m_failure = failureText(m_name.isEmpty() ? nameOf(m_descriptor, error) : m_name, qt_error_string(error));
            m_state = State::Failed;
        }
    }
    return m_state == State::Open;
}

QString DescriptorWriter::closedFailure(int descriptor)
{
    if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
        return {};
    return failureText(nameOf(descriptor, EBADF), qt_error_string(EBADF));
}

QString DescriptorWriter::failureText(const QString &where, const QString &reason)
{
    return u"could not write the listing to %1: %2"_s.arg(where, reason);
}

QString DescriptorWriter::nameOf(int descriptor, int error)
{
    // A file is named by its path; a pipe, socket or closed descriptor by
    // what the caller calls it.
    QString where = QFileInfo(u"/proc/self/fd/%1"_s.arg(descriptor)).symLinkTarget();
    if (!where.startsWith(u'/') || error == EBADF)
        where = descriptor == STDOUT_FILENO ? u"standard output"_s : u"descriptor %1"_s.arg(descriptor);
    return where;
}
