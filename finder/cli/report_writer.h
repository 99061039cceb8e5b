#pragma once

#include <QString>

#include <memory>

class QCoreApplication;
class SiteReport;

// --report: writes the hand-over report of --list --expect. A document is
// drawn with QtGui, which the headless program does not link; the desktop
// program hands its writer to the list mode.
class ReportWriter
{
public:
    virtual ~ReportWriter() = default;

    // The application object to draw under, made without a display. Called
    // once, after the checks that must come before any descriptor is opened.
    virtual std::unique_ptr<QCoreApplication> application(int &argc, char **argv) const = 0;
    // Returns why the report was not written, or an empty string.
    virtual QString write(const SiteReport &report, const QString &path) const = 0;
};
