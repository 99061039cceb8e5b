#include "finder/window/report_saver.h"

#include "devicelist/site_report.h"
#include "finder/window/site_report_pdf.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QWidget>

#include <utility>

using namespace Qt::StringLiterals;

ReportSaver::ReportSaver(QWidget &window, std::function<Compared()> compared, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_compared(std::move(compared))
{
    m_action = new QAction(tr("Save &report\u2026"), this);
    m_action->setObjectName(u"saveReportAction"_s);
    m_action->setEnabled(false);
    connect(m_action, &QAction::triggered, this, &ReportSaver::ask);
}

QString ReportSaver::save(const QString &site, const QString &path) const
{
    const Compared compared = m_compared();
    const SiteReport report = SiteReport::build(SiteReport::Occasion::now(site, compared.planPath, compared.interfaces),
                                                compared.plan, compared.devices);
    return SiteReportPdf::write(report, path);
}

void ReportSaver::ask()
{
    const QString planPath = m_compared().planPath;
    bool ok = false;
    const QString site = QInputDialog::getText(m_window.window(), tr("Save report"), tr("Site:"), QLineEdit::Normal,
                                               SiteReport::defaultSiteName(planPath), &ok);
    if (!ok)
        return;
    const QFileInfo plan(planPath);
    const QString path = QFileDialog::getSaveFileName(
            m_window.window(), tr("Save report"),
            QDir(plan.absolutePath()).filePath(plan.completeBaseName() + u"-report.pdf"_s), tr("PDF files (*.pdf)"));
    if (path.isEmpty())
        return;
    if (const QString error = save(site, path); !error.isEmpty()) {
        auto *const box = new QMessageBox(QMessageBox::Warning, m_window.window()->windowTitle(),
                                          tr("The report could not be saved: %1").arg(error), QMessageBox::Ok,
                                          m_window.window());
        box->setTextFormat(Qt::PlainText);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
}
