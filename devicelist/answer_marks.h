#pragma once

#include <QCoreApplication>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>
#include <QVariant>

// Which filled rows repeat or contradict an earlier answer since the last
// emptying. A repeated answer has the MAC address of an earlier row; an
// address conflict has the IP address of an earlier row whose MAC differs.
// Rows are marked, never merged: the table keeps every answer. Noting a row
// costs two hash look-ups, however many rows came before.
class AnswerMarks
{
    Q_DECLARE_TR_FUNCTIONS(AnswerMarks)

public:
    struct Mark
    {
        int repeatsRow = -1;      // model row with the same MAC, or -1
        int conflictsWithRow = -1; // model row with the same IP and another MAC, or -1

        bool isRepeat() const { return repeatsRow >= 0; }
        bool isConflict() const { return conflictsWithRow >= 0; }
    };

    // Model row `row` was filled from an answer of `ip` with `mac`. Rows are
    // noted in the order they fill.
    void note(int row, const QString &ip, const QString &mac);
    void clear();

    Mark mark(int row) const;
    int answers() const { return m_answers; }
    int devices() const { return static_cast<int>(m_firstRowByMac.size()); }

    // Tint, tooltip and, for a conflict, a glyph in the IP column; an empty
    // QVariant for unmarked rows and other roles.
    QVariant data(int row, int column, int role) const;

    static constexpr int IpColumn = 1;

private:
    struct Address
    {
        int firstRow = -1;
        QString firstMac;
        // The first later row whose MAC differs from firstMac, or -1.
        int otherRow = -1;
    };

    QString toolTip(const Mark &mark) const;
    const QIcon &conflictGlyph() const;

    QHash<QString, int> m_firstRowByMac;
    QHash<QString, Address> m_byIp;
    // Indexed by model row; only marked rows are stored.
    QHash<int, Mark> m_marks;
    int m_answers = 0;
    mutable QIcon m_conflictGlyph;  // drawn on first use
};

// "N answers from M devices", in the user's language.
QString answerCountToolTip(int answers, int devices);
