#include "finder/cli/listing_file.h"

#include <QFile>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// What is at path, unless it is a file --output may replace: the reason to
// refuse it, or the system's reason it cannot be looked at.
struct Existing
{
    std::optional<mode_t> mode;   // a regular file's permissions
    QString refusal;
};

Existing lookAt(const QByteArray &path)
{
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0)
        return {std::nullopt, errno == ENOENT ? QString() : qt_error_string(errno)};
    const mode_t type = status.st_mode & S_IFMT;
    if (type == S_IFREG)
        return {status.st_mode & 0777, {}};
    if (type == S_IFLNK)
        return {std::nullopt, u"it is a symbolic link, which --output does not follow; name the file itself"_s};
    const QString what = type == S_IFDIR ? u"a directory"_s
            : type == S_IFCHR            ? u"a character device"_s
            : type == S_IFBLK            ? u"a block device"_s
            : type == S_IFIFO            ? u"a FIFO"_s
            : type == S_IFSOCK           ? u"a socket"_s
                                         : u"not a file"_s;
    return {std::nullopt, u"it is %1, and --output replaces only a regular file"_s.arg(what)};
}

// FILE.XXXXXX: beside FILE, so the rename stays within one file system, and
// not *.prom, so node exporter never reads it half written.
QByteArray temporaryName(const QByteArray &path)
{
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name = path + '.';
    for (int i = 0; i < 6; ++i)
        name += letters[QRandomGenerator::global()->bounded(static_cast<int>(sizeof letters) - 1)];
    return name;
}

}   // namespace

ListingFile::ListingFile(const QString &path)
    : m_path(path)
    , m_writer(STDOUT_FILENO)
{
}

ListingFile::~ListingFile()
{
    discard();
}

bool ListingFile::open()
{
    if (m_path.isEmpty())
        return true;
    const QByteArray path = QFile::encodeName(m_path);
    if (const Existing existing = lookAt(path); !existing.refusal.isEmpty())
        return fail(existing.refusal);
    // A name of our own, never an existing file or link; 0666 less the umask.
    for (int attempt = 0; attempt < 100 && m_descriptor < 0; ++attempt) {
        m_temporary = temporaryName(path);
        m_descriptor = ::open(m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_descriptor < 0 && errno != EEXIST && errno != EINTR)
            break;
    }
    if (m_descriptor < 0) {
        m_temporary.clear();
        return fail(qt_error_string(errno));
    }
    m_writer = DescriptorWriter(m_descriptor, m_path);
    return true;
}

bool ListingFile::write(const QByteArray &bytes)
{
    return m_writer.write(bytes);
}

DescriptorWriter::State ListingFile::state() const
{
    return m_writer.state();
}

bool ListingFile::commit()
{
    if (m_temporary.isEmpty())
        return m_error.isEmpty();
    if (m_writer.state() != DescriptorWriter::State::Open)
        return false;
    // Looked at again: what is there now is what the rename replaces.
    const QByteArray path = QFile::encodeName(m_path);
    const Existing existing = lookAt(path);
    if (!existing.refusal.isEmpty())
        return fail(existing.refusal);
    if (existing.mode && ::fchmod(m_descriptor, *existing.mode) != 0)
        return fail(qt_error_string(errno));
    // A disk that runs out, or fails, may say so only now.
    if (::fsync(m_descriptor) != 0)
        return fail(qt_error_string(errno));
    const int descriptor = std::exchange(m_descriptor, -1);
    if (::close(descriptor) != 0)
        return fail(qt_error_string(errno));
    if (::rename(m_temporary.constData(), path.constData()) != 0)
        return fail(qt_error_string(errno));
    m_temporary.clear();
    return true;
}

QString ListingFile::errorString() const
{
    return m_error.isEmpty() ? m_writer.failure() : m_error;
}

bool ListingFile::fail(const QString &reason)
{
    m_error = DescriptorWriter::failureText(m_path, reason);
    discard();
    return false;
}

void ListingFile::discard()
{
    if (m_descriptor >= 0)
        ::close(std::exchange(m_descriptor, -1));
    if (!m_temporary.isEmpty())
        ::unlink(std::exchange(m_temporary, {}).constData());
}
