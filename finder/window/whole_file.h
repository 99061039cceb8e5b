#pragma once

#include <QByteArray>
#include <QString>

// Writes bytes to path whole or not at all: beside the target, renamed over
// it on commit, so a failure leaves whatever was there before. Returns why
// it failed, or an empty string. The list, the watch's events and the
// report are all saved through here.
QString writeWholeFile(const QString &path, const QByteArray &bytes);
