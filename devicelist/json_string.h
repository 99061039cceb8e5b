#pragma once

#include <QString>

// A JSON string literal, quotes included. The value stays exact for programs
// that read it; whatever the table would show as an escape (controls, DEL,
// C1, bidi and other format characters, line separators) is written as a
// \u escape, a surrogate pair for a code point above U+FFFF, so no such
// character reaches a terminal either. The listings and the watch's lines
// all write their strings through here.
QString jsonString(const QString &value);
