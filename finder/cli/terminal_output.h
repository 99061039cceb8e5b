#pragma once

#include <QString>

// "veltrin-finder: TEXT" and a line feed on standard error, written whole.
void printError(const QString &text);
