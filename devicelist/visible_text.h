#pragma once

#include <QString>
#include <QStringView>

// Device text as the table and the label draw it: one line, and nothing that
// hides or reorders characters. The protocol's line break at the end of a
// value is dropped; every control character (C0, DEL, C1), format character
// (bidi controls, zero-width characters, BOM and the like), other line break
// and lone surrogate shows as an escape such as <U+202E>. The models keep
// the exact text; drawing, the clipboard, CSV and the text listing go
// through here.
QString visibleText(const QString &text);

// A character that ends a line: LF, CR, U+2028 or U+2029. The protocol ends
// each value with one.
bool isLineBreak(QChar c);

// The first length characters of text, or one fewer where the last would be
// half of a surrogate pair: where a text is cut before its ellipsis. text
// whole when it is no longer.
QStringView leadingPart(QStringView text, qsizetype length);

// The rule itself, for writers that escape in a syntax of their own (JSON):
// every code point that visibleText() would show as an escape is replaced by
// escape(code); a lone surrogate is passed as its own code unit.
bool isShownAsEscape(char32_t code);
QString withEscapes(QStringView text, QString (*escape)(char32_t code));
