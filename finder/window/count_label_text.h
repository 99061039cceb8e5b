#pragma once

#include <QString>

// The count label's text, in sign-position form: a space stands where a
// minus would. The table's count and the watch's last round both use it.
inline QString countLabelText(int count)
{
    QString text;
    text.reserve(20);
    text += u' ';
    text += QString::number(count);
    text += u" device found";
    return text;
}
