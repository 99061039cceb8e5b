#include "finder/window/plan_source.h"

#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

QString columnsKey(const PlanHeader &header)
{
    return u"planColumns/"_s + header.fingerprint();
}

} // namespace

SitePlan PlanSource::read(const QString &path)
{
    SitePlan plan = SitePlan::load(path);
    if (!plan.needsColumnChoice())
        return plan;
    const QStringList chosen = QSettings().value(columnsKey(plan.header())).toStringList();
    if (chosen.size() != PlanColumns::FieldCount)
        return plan;
    PlanColumns::Choice choice;
    std::copy(chosen.cbegin(), chosen.cend(), choice.headers.begin());
    return SitePlan::load(path, choice);
}

void PlanSource::rememberColumns(const PlanHeader &header, const PlanColumns::Choice &choice)
{
    QSettings().setValue(columnsKey(header), QStringList(choice.headers.cbegin(), choice.headers.cend()));
}

void PlanSource::use(const QString &path, SitePlan plan)
{
    m_path = path;
    m_plan = std::move(plan);
    m_stamp = stampOf(path);
    m_problem.clear();
}

void PlanSource::refresh()
{
    if (m_path.isEmpty())
        return;
    const Stamp stamp = stampOf(m_path);
    if (stamp == m_stamp)
        return;
    m_stamp = stamp;
    SitePlan plan = read(m_path);
    if (!plan.isValid()) {
        m_problem = plan.error();
        return;
    }
    m_plan = std::move(plan);
    m_problem.clear();
}

PlanSource::Stamp PlanSource::stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    // The change time too: taking away the right to read it changes no content.
    return {info.lastModified(), info.metadataChangeTime(), info.size()};
}
