#pragma once

#include <QByteArray>
#include <QString>

// What the command-line modes print: straight to the descriptor, no stdio
// buffer, so what has been printed is out when the user presses Ctrl+C, and
// each call's bytes go out whole.
void writeAll(int descriptor, const QByteArray &bytes);
// "veltrin-finder: TEXT" and a line feed on standard error.
void printError(const QString &text);
