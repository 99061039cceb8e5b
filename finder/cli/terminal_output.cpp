#include "finder/cli/terminal_output.h"

#include "finder/cli/descriptor_writer.h"

#include <QCoreApplication>

#include <unistd.h>

using namespace Qt::StringLiterals;

void printError(const QString &text)
{
    DescriptorWriter(STDERR_FILENO).write((QCoreApplication::applicationName() + u": "_s + text + u'\n').toUtf8());
}
