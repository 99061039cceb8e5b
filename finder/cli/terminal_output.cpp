#include "terminal_output.h"

#include <QCoreApplication>

#include <unistd.h>

#include <cerrno>

using namespace Qt::StringLiterals;

void writeAll(int descriptor, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return;   // a closed pipe or full disk: nothing better to do
        }
        data += written;
        left -= written;
    }
}

void printError(const QString &text)
{
    writeAll(STDERR_FILENO, (QCoreApplication::applicationName() + u": "_s + text + u'\n').toUtf8());
}
