#pragma once

#include "discovery/endpoint_error.h"

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

#include <optional>
#include <variant>

// The finder binds its privileged port through a small helper that alone
// holds cap_net_bind_service, so the window program, and every plugin or
// library it loads, runs without any capability.
namespace bind_helper {

// Where a program in programDir finds the helper: in the libexec folder of
// the same prefix (/usr, /usr/local, or a build tree).
QString pathFor(const QString &programDir);

// The helper to bind address:port through, or nullopt when this process
// binds it itself: another address or port than the helper's, a process
// that is root or holds the capability, or no helper installed.
std::optional<QString> helperFor(const QHostAddress &address, quint16 port);

using Answer = std::variant<int, EndpointError>;

// The helper answers within milliseconds; this only stops a hung one.
constexpr int AnswerTimeoutMs = 5000;

// Runs the helper and waits for it. Returns the bound UDP socket's
// descriptor, which the caller then owns, or the helper's failure as a bind
// error.
Answer requestSocket(const QString &helperPath);

// The same without blocking the thread: finished() follows once the helper
// answered, failed or timed out, and answer() holds what requestSocket()
// would have returned. Destroyed earlier, it kills and reaps the helper.
class Request : public QObject
{
    Q_OBJECT

public:
    explicit Request(const QString &helperPath, int timeoutMs = AnswerTimeoutMs, QObject *parent = nullptr);
    ~Request() override;

    // The descriptor, if any, is the caller's once taken.
    Answer takeAnswer();

    // The helper's process and our end of its channel, while it runs.
    struct Running;

Q_SIGNALS:
    void finished();

private:
    void conclude(bool timedOut);

    std::unique_ptr<Running> m_running;
    QString m_helperPath;
    QTimer m_timeout;
    Answer m_answer;
};

} // namespace bind_helper
