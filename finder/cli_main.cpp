// veltrin-finder-cli: the finder's list mode alone, for boxes without a
// display. It takes the finder's options; --list is implied unless --watch
// is given.
#include "finder/core/command_line.h"
#include "finder/cli/run_without_window.h"

#include <QStringList>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!arguments.contains(u"--list"_s) && !arguments.contains(u"--watch"_s))
        arguments.insert(1, u"--list"_s);
    return runWithoutWindow(argc, argv, u"veltrin-finder-cli"_s, parseCommandLine(arguments));
}
