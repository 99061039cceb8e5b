#pragma once

#include <QString>

struct EndpointError;

// How the user tries again: the window's Refresh, or running the command again.
enum class RetryBy { Refresh, RunningAgain };

// What the user reads when a bind or send failed: what went wrong, where, the
// system's reason, and what to do about it. programPath is the finder's own
// binary; a privileged port's remedy names the bind helper installed beside it.
QString failureMessage(const EndpointError &error, const QString &programPath, RetryBy retry = RetryBy::Refresh);

// What the user reads when part of a send failed while the rest went out:
// which interface or addresses, the system's reason, and what is missed.
QString warningMessage(const EndpointError &error);

// path as one word of a POSIX shell command: single-quoted, always, so that
// nothing in it ($, `, ;, quotes, newlines) is read by the shell.
QString shellQuoted(const QString &path);
