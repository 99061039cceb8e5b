#include "finder/window/recent_plans.h"

#include "devicelist/visible_text.h"
#include "finder/window/plain_tool_tip.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

const QString PathsKey = u"plans/recent"_s;

} // namespace

RecentPlans::RecentPlans(QObject *parent)
    : QObject(parent)
    , m_menu(std::make_unique<QMenu>(tr("Recent &plans")))
{
    m_menu->setObjectName(u"recentPlansMenu"_s);
    m_menu->setToolTipsVisible(true);
    rebuild();
}

RecentPlans::~RecentPlans() = default;

QStringList RecentPlans::paths() const
{
    return QSettings().value(PathsKey).toStringList().mid(0, MaxPlans);
}

void RecentPlans::add(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList paths = this->paths();
    paths.removeAll(absolute);
    paths.prepend(absolute);
    QSettings().setValue(PathsKey, paths.mid(0, MaxPlans));
    rebuild();
}

QString RecentPlans::folder() const
{
    const QStringList paths = this->paths();
    return paths.isEmpty() ? QDir::homePath() : QFileInfo(paths.constFirst()).absolutePath();
}

void RecentPlans::rebuild()
{
    m_menu->clear();
    const QStringList paths = this->paths();
    m_menu->setEnabled(!paths.isEmpty());
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString &path = paths[i];
        // A file name is shown as it is, not as a mnemonic or a line break.
        const QString name = visibleText(QFileInfo(path).fileName()).replace(u'&', u"&&"_s);
        QAction *const action = m_menu->addAction(u"&%1 %2"_s.arg(i + 1).arg(name));
        action->setToolTip(plainToolTip(visibleText(QDir::toNativeSeparators(path))));
        connect(action, &QAction::triggered, this, [this, path] { emit chosen(path); });
    }
}
