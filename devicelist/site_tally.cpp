#include "devicelist/site_tally.h"

#include "devicelist/devicelist_log.h"

#include <utility>

using namespace Qt::StringLiterals;

SiteTally::SiteTally(SitePlan plan)
    : m_plan(std::move(plan))
    , m_answeredBy(m_plan.devices().size())
{
}

QString SiteTally::keyOf(const DeviceRecord::Fields &device)
{
    const QString mac = SitePlan::macKey(device[DeviceRecord::Mac]);
    return mac.isEmpty() ? u"ip "_s + device[DeviceRecord::Ip] : mac;
}

bool SiteTally::contains(const DeviceRecord::Fields &device) const
{
    return m_devices.contains(keyOf(device));
}

std::optional<SiteTally::Verdict> SiteTally::verdictOf(const DeviceRecord::Fields &device) const
{
    const auto found = m_devices.constFind(keyOf(device));
    return found == m_devices.cend() ? std::nullopt : std::optional(*found);
}

SiteTally::Verdict SiteTally::add(const DeviceRecord::Fields &device)
{
    const QString key = keyOf(device);
    release(key);
    Verdict verdict = m_plan.classify(device);
    if (verdict.planned >= 0 && !m_answeredBy[verdict.planned].isEmpty())
        verdict = {SitePlan::Status::Unexpected, -1, 0, {}};   // its station has answered already
    if (verdict.planned >= 0) {
        m_answeredBy[verdict.planned] = key;
        ++m_answered;
        m_differs += verdict.status == SitePlan::Status::Differs ? 1 : 0;
    } else {
        ++m_unexpected;
    }
    m_devices.insert(key, verdict);
    qCDebug(lcDeviceList).noquote() << "plan: device" << key << "is" << SitePlan::statusName(verdict.status)
                                    << "for station" << verdict.planned;
    return verdict;
}

SiteTally::Verdict SiteTally::remove(const DeviceRecord::Fields &device)
{
    return release(keyOf(device));
}

SiteTally::Verdict SiteTally::release(const QString &key)
{
    const auto found = m_devices.constFind(key);
    if (found == m_devices.cend())
        return {};
    const Verdict verdict = *found;
    m_devices.erase(found);
    qCDebug(lcDeviceList).noquote() << "plan: device" << key << "left station" << verdict.planned;
    if (verdict.planned >= 0) {
        m_answeredBy[verdict.planned].clear();
        --m_answered;
        m_differs -= verdict.status == SitePlan::Status::Differs ? 1 : 0;
    } else {
        --m_unexpected;
    }
    return verdict;
}

QList<qsizetype> SiteTally::missing() const
{
    QList<qsizetype> stations;
    for (qsizetype p = 0; p < m_answeredBy.size(); ++p) {
        if (m_answeredBy[p].isEmpty())
            stations << p;
    }
    return stations;
}

SiteTally::Summary SiteTally::summary() const
{
    const qsizetype planned = m_answeredBy.size();
    return {planned, m_answered, planned - m_answered, m_unexpected, m_differs};
}
