#include "terminal_output.h"

#include "list_output.h"

#include <QCoreApplication>

#include <unistd.h>

using namespace Qt::StringLiterals;

void printError(const QString &text)
{
    ListOutput(STDERR_FILENO).write((QCoreApplication::applicationName() + u": "_s + text + u'\n').toUtf8());
}
