#pragma once

#include <QByteArray>
#include <QString>

// Standard output or error as --list and --watch write them: a descriptor
// written straight, without a stdio buffer, so what has been printed is out
// when the run is interrupted. A failed or short write (a full disk,
// /dev/full) is kept with the system's reason, so the run can end loudly; a
// reader that went away (a broken pipe) is not a failure to report.
class DescriptorWriter
{
public:
    enum class State { Open, ReaderGone, Failed };

    // name: what failure() calls the output; empty: what the descriptor is.
    explicit DescriptorWriter(int descriptor, const QString &name = {});

    // Writes all of bytes; false, and nothing more is written, once the
    // output is not Open.
    bool write(const QByteArray &bytes);

    State state() const { return m_state; }
    // For Failed: failureText() with the output and the system's reason.
    QString failure() const { return m_failure; }

    // The same text when the descriptor is not open at all (the caller ran us
    // with stdout closed); empty when it is open. Call before anything opens
    // a file or socket, which would take the free descriptor.
    static QString closedFailure(int descriptor);

    // "could not write the listing to <where>: <reason>"
    static QString failureText(const QString &where, const QString &reason);

private:
    static QString nameOf(int descriptor, int error);

    int m_descriptor;
    QString m_name;
    State m_state = State::Open;
    QString m_failure;
};
