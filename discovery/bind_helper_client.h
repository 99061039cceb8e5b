#pragma once

#include "endpoint_error.h"

#include <QHostAddress>
#include <QString>

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

// Runs the helper. Returns the bound UDP socket's descriptor, which the
// caller then owns, or the helper's failure as a bind error.
std::variant<int, EndpointError> requestSocket(const QString &helperPath);

} // namespace bind_helper
