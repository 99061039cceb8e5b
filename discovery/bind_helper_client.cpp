#include "discovery/bind_helper_client.h"

#include "discovery/bind_helper/bind_helper_protocol.h"
#include "discovery/discovery_log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <fcntl.h>
#include <linux/capability.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>

using namespace Qt::StringLiterals;

namespace bind_helper {
namespace {

bool holdsBindCapability()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    return (data[0].effective & CAP_TO_MASK(CAP_NET_BIND_SERVICE)) != 0;
}

EndpointError bindError(QAbstractSocket::SocketError code, const QString &reason)
{
    return EndpointError{EndpointError::Operation::Bind, QHostAddress(QHostAddress::AnyIPv4).toString(),
                         VELTRIN_BIND_HELPER_PORT, code, reason};
}

class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) { }
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// Starts the helper with the channel as its standard input, an empty
// environment and no arguments; the pid, or -1 with errno.
pid_t spawnHelper(const QString &helperPath, int channel)
{
    const QByteArray program = QFile::encodeName(helperPath);
    char *const argv[] = {const_cast<char *>(program.constData()), nullptr};
    char *const envp[] = {nullptr};
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return -1;
    posix_spawn_file_actions_adddup2(&actions, channel, VELTRIN_BIND_HELPER_CHANNEL_FD);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, program.constData(), &actions, nullptr, argv, envp);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        errno = error;
        return -1;
    }
    return pid;
}

void reap(pid_t pid, bool kill)
{
    if (kill)
        ::kill(pid, SIGKILL);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

EndpointError noAnswer(const QString &helperPath)
{
    return bindError(QAbstractSocket::SocketTimeoutError, u"The bind helper %1 did not answer"_s.arg(helperPath));
}

EndpointError unanswered(const QString &helperPath)
{
    qCWarning(lcDiscovery, "the bind helper %s did not answer", qUtf8Printable(helperPath));
    return noAnswer(helperPath);
}

// Reads the helper's one message, once the channel is readable: its error
// and, on success, the socket.
Answer readAnswer(const QString &helperPath, int channel)
{
    veltrin_bind_reply reply{};
    iovec part{&reply, sizeof reply};
    union {
        cmsghdr header;
        char space[CMSG_SPACE(sizeof(int))];
    } control{};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control.space;
    message.msg_controllen = sizeof control.space;
    ssize_t received;
    do
        received = ::recvmsg(channel, &message, MSG_CMSG_CLOEXEC | MSG_DONTWAIT);
    while (received < 0 && errno == EINTR);
    if (received < 0) {
        const int error = errno;
        return bindError(socketErrorFor(error), u"No answer from the bind helper %1: %2"_s.arg(helperPath,
                                                                                           qt_error_string(error)));
    }

    Descriptor socket;
    for (cmsghdr *c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS && c->cmsg_len == CMSG_LEN(sizeof(int))) {
            int fd = -1;
            std::memcpy(&fd, CMSG_DATA(c), sizeof fd);
            socket.reset(fd);
        }
    }
    if (received != static_cast<ssize_t>(sizeof reply) || (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC))) {
        qCWarning(lcDiscovery, "the bind helper %s ended without an answer", qUtf8Printable(helperPath));
        return bindError(QAbstractSocket::UnknownSocketError,
                         u"The bind helper %1 ended without an answer"_s.arg(helperPath));
    }
    if (reply.error != 0) {
        qCDebug(lcDiscovery, "the bind helper could not bind: %s", qUtf8Printable(qt_error_string(reply.error)));
        return bindError(socketErrorFor(reply.error), qt_error_string(reply.error));
    }

    // Only a UDP socket bound to the helper's port is taken.
    int type = 0;
    socklen_t typeLength = sizeof type;
    sockaddr_in local{};
    socklen_t localLength = sizeof local;
    if (socket.get() < 0
        || ::getsockopt(socket.get(), SOL_SOCKET, SO_TYPE, &type, &typeLength) != 0 || type != SOCK_DGRAM
        || ::getsockname(socket.get(), reinterpret_cast<sockaddr *>(&local), &localLength) != 0
        || local.sin_family != AF_INET || ntohs(local.sin_port) != VELTRIN_BIND_HELPER_PORT) {
        qCWarning(lcDiscovery, "the bind helper %s handed over no usable socket", qUtf8Printable(helperPath));
        return bindError(QAbstractSocket::UnknownSocketError,
                         u"The bind helper %1 handed over no usable socket"_s.arg(helperPath));
    }
    qCDebug(lcDiscovery, "the bind helper handed over a socket bound to port %d", VELTRIN_BIND_HELPER_PORT);
    return socket.release();
}

} // namespace

QString pathFor(const QString &programDir)
{
    return QDir::cleanPath(programDir + u'/' + QStringLiteral(VELTRIN_BIND_HELPER_RELATIVE_PATH));
}

std::optional<QString> helperFor(const QHostAddress &address, quint16 port)
{
    if (port != VELTRIN_BIND_HELPER_PORT || address != QHostAddress(QHostAddress::AnyIPv4))
        return std::nullopt;
    if (::geteuid() == 0 || holdsBindCapability())
        return std::nullopt;
    const QString path = pathFor(QCoreApplication::applicationDirPath());
    if (::access(QFile::encodeName(path).constData(), X_OK) != 0)
        return std::nullopt;
    return path;
}

struct Request::Running
{
    pid_t pid = -1;
    Descriptor channel;
    std::unique_ptr<QSocketNotifier> readable;
};

namespace {

// Starts the helper on one end of a fresh channel; the other end is ours.
std::variant<std::unique_ptr<Request::Running>, EndpointError> startHelper(const QString &helperPath)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) {
        const int error = errno;
        return bindError(socketErrorFor(error), qt_error_string(error));
    }
    auto running = std::make_unique<Request::Running>();
    running->channel.reset(ends[0]);
    Descriptor theirs(ends[1]);
    // dup2 onto the descriptor itself would keep close-on-exec set.
    if (theirs.get() == VELTRIN_BIND_HELPER_CHANNEL_FD)
        theirs.reset(::fcntl(theirs.get(), F_DUPFD_CLOEXEC, VELTRIN_BIND_HELPER_CHANNEL_FD + 1));

    running->pid = spawnHelper(helperPath, theirs.get());
    if (running->pid < 0) {
        const int error = errno;
        qCWarning(lcDiscovery, "could not start the bind helper %s: %s", qUtf8Printable(helperPath),
                  qUtf8Printable(qt_error_string(error)));
        return bindError(socketErrorFor(error),
                         u"Could not start the bind helper %1: %2"_s.arg(helperPath, qt_error_string(error)));
    }
    qCDebug(lcDiscovery, "asked the bind helper %s for the port", qUtf8Printable(helperPath));
    // Our copy of its end closed, a helper that dies unheard reads as an end of file.
    return running;
}

} // namespace

Answer requestSocket(const QString &helperPath)
{
    auto started = startHelper(helperPath);
    if (auto *const failure = std::get_if<EndpointError>(&started))
        return std::move(*failure);
    const auto &running = std::get<std::unique_ptr<Request::Running>>(started);
    pollfd ready{running->channel.get(), POLLIN, 0};
    int polled;
    do
        polled = ::poll(&ready, 1, AnswerTimeoutMs);
    while (polled < 0 && errno == EINTR);
    Answer answer = polled > 0 ? readAnswer(helperPath, running->channel.get()) : unanswered(helperPath);
    reap(running->pid, std::holds_alternative<EndpointError>(answer));
    return answer;
}

Request::Request(const QString &helperPath, int timeoutMs, QObject *parent)
    : QObject(parent)
    , m_helperPath(helperPath)
    , m_answer(noAnswer(helperPath))
{
    auto started = startHelper(helperPath);
    if (auto *const failure = std::get_if<EndpointError>(&started)) {
        m_answer = std::move(*failure);
        // Told on the next turn of the event loop, as every other answer is.
        QMetaObject::invokeMethod(this, &Request::finished, Qt::QueuedConnection);
        return;
    }
    m_running = std::move(std::get<std::unique_ptr<Running>>(started));
    m_running->readable = std::make_unique<QSocketNotifier>(m_running->channel.get(), QSocketNotifier::Read);
    connect(m_running->readable.get(), &QSocketNotifier::activated, this, [this] { conclude(false); });
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] { conclude(true); });
    m_timeout.start(timeoutMs);
}

Request::~Request()
{
    if (m_running && m_running->pid > 0)
        reap(m_running->pid, true);
    if (const int *const fd = std::get_if<int>(&m_answer))
        ::close(*fd);
}

Answer Request::takeAnswer()
{
    return std::exchange(m_answer, noAnswer(m_helperPath));
}

void Request::conclude(bool timedOut)
{
    if (!m_running || m_running->pid <= 0)
        return;
    m_timeout.stop();
    // Kept until the request goes: this may run in the notifier's own signal.
    m_running->readable->setEnabled(false);
    m_answer = timedOut ? unanswered(m_helperPath) : readAnswer(m_helperPath, m_running->channel.get());
    reap(std::exchange(m_running->pid, -1), std::holds_alternative<EndpointError>(m_answer));
    Q_EMIT finished();
}

} // namespace bind_helper
