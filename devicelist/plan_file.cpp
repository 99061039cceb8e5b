#include "devicelist/plan_file.h"

#include "devicelist/plan_text.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace PlanFile {
namespace {

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return u"a folder"_s;
    if (S_ISFIFO(mode))
        return u"a named pipe (FIFO)"_s;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return u"a device"_s;
    if (S_ISSOCK(mode))
        return u"a socket"_s;
    return u"not a regular file"_s;
}

QString tooLarge(qsizetype maxBytes)
{
    return u"The file is larger than %1 MB."_s.arg(maxBytes / (1024 * 1024));
}

// Empty when the file can be read as a plan.
QString refusal(const struct stat &status, qsizetype maxBytes)
{
    if (!S_ISREG(status.st_mode))
        return u"This is %1, not a file: a plan is read only from a regular file."_s.arg(kindOf(status.st_mode));
    if (status.st_size > maxBytes)
        return tooLarge(maxBytes);
    return {};
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

Contents read(const QString &path, qsizetype maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    if (::stat(name.constData(), &status) != 0)
        return {{}, systemError()};
    if (PlanText::hasSpreadsheetName(path))
        return {{}, PlanText::spreadsheetAdvice()};
    if (QString why = refusal(status, maxBytes); !why.isEmpty())
        return {{}, why};
    // Checked again on what was opened: the path may have been swapped
    // meanwhile, and O_NONBLOCK keeps a FIFO put there from blocking.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {{}, systemError()};
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {{}, file.errorString()};
    }
    if (::fstat(fd, &status) != 0)
        return {{}, systemError()};
    if (QString why = refusal(status, maxBytes); !why.isEmpty())
        return {{}, why};
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return {{}, file.errorString()};
    // The file may have grown since.
    if (bytes.size() > maxBytes)
        return {{}, tooLarge(maxBytes)};
    return {std::move(bytes), {}};
}

} // namespace PlanFile
