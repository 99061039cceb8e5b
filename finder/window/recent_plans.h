#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QMenu;

// The plans compared lately, the latest first, kept with QSettings: the
// "Recent plans" menu, and the folder the file dialog opens in.
class RecentPlans : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxPlans = 8;

    explicit RecentPlans(QObject *parent = nullptr);
    ~RecentPlans() override;

    // A submenu for the context menus that hold Compare with list….
    QMenu *menu() const { return m_menu.get(); }
    QStringList paths() const;
    // The path goes first; the oldest beyond MaxPlans is forgotten.
    void add(const QString &path);
    // Where the last plan was; the home folder before any.
    QString folder() const;

Q_SIGNALS:
    void chosen(const QString &path);

private:
    void rebuild();

    std::unique_ptr<QMenu> m_menu;
};
