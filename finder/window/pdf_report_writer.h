#pragma once

#include "finder/cli/report_writer.h"

// The desktop program's --report: a PDF, drawn under the offscreen platform
// so that no display is needed, in the user's language as the window is.
class PdfReportWriter : public ReportWriter
{
public:
    std::unique_ptr<QCoreApplication> application(int &argc, char **argv) const override;
    QString write(const SiteReport &report, const QString &path) const override;
};
