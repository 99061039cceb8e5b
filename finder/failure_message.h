#pragma once

#include <QString>

struct EndpointError;

// What the user reads when a bind or send failed: what went wrong, where, the
// system's reason, and what to do about it. programPath names the binary that
// needs the capability for a privileged port.
QString failureMessage(const EndpointError &error, const QString &programPath);

// What the user reads when part of a send failed while the rest went out:
// which interface or addresses, the system's reason, and what is missed.
QString warningMessage(const EndpointError &error);
