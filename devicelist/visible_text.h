#pragma once

#include <QString>

// Device text as the table and the label draw it: one line, and nothing that
// hides or reorders characters. The protocol's line break at the end of a
// value is dropped; every control character (C0, C1), format character
// (bidi controls, zero-width characters, BOM and the like), other line break
// and lone surrogate shows as an escape such as <U+202E>. The models keep
// the exact text; only drawing goes through here.
QString visibleText(const QString &text);
