#pragma once

#include "devicelist/plan_columns.h"
#include "devicelist/site_plan.h"

#include <QDateTime>
#include <QString>

// The plan file the window compares with. It is read again when it has
// changed on disk (its times or size), so an edit saved beside the finder
// counts at the next compare; a file that can no longer be read leaves the
// plan last read in use and says why. The columns a user chose for a header
// that names none the finder knows are remembered (QSettings) under the
// header's fingerprint, for every file with that header.
class PlanSource
{
public:
    // The plan in the file, with the columns remembered for its header
    // where the header alone does not do.
    static SitePlan read(const QString &path);
    static void rememberColumns(const PlanHeader &header, const PlanColumns::Choice &choice);

    // Compares with plan, read from path, from now on.
    void use(const QString &path, SitePlan plan);
    void clear() { *this = PlanSource(); }
    // Reads the file again if it has changed since it was last read.
    void refresh();

    const QString &path() const { return m_path; }
    const SitePlan &plan() const { return m_plan; }
    // Why the file can no longer be read; empty while it can.
    const QString &problem() const { return m_problem; }

private:
    struct Stamp
    {
        QDateTime modified;
        QDateTime changed;
        qint64 size = -1;
        bool operator==(const Stamp &) const = default;
    };
    static Stamp stampOf(const QString &path);

    QString m_path;
    SitePlan m_plan;
    Stamp m_stamp;
    QString m_problem;
};
