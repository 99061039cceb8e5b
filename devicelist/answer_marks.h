#pragma once

#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <utility>

// Which filled rows repeat or contradict an earlier answer since the last
// emptying. A repeated answer has the MAC address of an earlier row; an
// address conflict has the IP address of an earlier row whose MAC differs.
// Rows are marked, never merged: the table keeps every answer. Noting a row
// costs two hash look-ups, however many rows came before. The texts live in
// one buffer and the hashes hold plain numbers, so clearing at a refresh
// frees a few blocks rather than one string per row.
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
    void note(int row, QStringView ip, QStringView mac);
    void clear();

    Mark mark(int row) const;
    int answers() const { return m_answers; }
    int devices() const { return m_devices; }

    // What a marked row is, as Kinds flags in an int, in every column of
    // the row (DeviceRoles::AnswerKinds). How it looks (tint, glyph) is the
    // view's business.
    enum Kind { Repeat = 0x1, Conflict = 0x2 };

    // The kinds (DeviceRoles::AnswerKinds) and the tooltip of a marked row; an empty
    // QVariant for unmarked rows and other roles.
    QVariant data(int row, int role) const;

private:
    struct Row
    {
        Mark mark;
        qsizetype textStart = 0;  // MAC, then IP, in m_text
        qsizetype macLength = 0;
        qsizetype ipLength = 0;
        // For the first row at its IP: the first later row there with
        // another MAC, or -1.
        int otherRow = -1;
    };

    QStringView macOf(int row) const;
    QStringView ipOf(int row) const;
    // Where the text's first row is or goes in `rows`: the key, and the row
    // there or -1.
    std::pair<size_t, int> find(const QHash<size_t, int> &rows, QStringView text,
                                QStringView (AnswerMarks::*of)(int) const) const;
    QString toolTip(const Mark &mark) const;

    QString m_text;
    QList<Row> m_rows;  // indexed by model row, up to the last row noted
    // Hash of the text -> first row with it. Plain numbers, so clearing
    // frees no node by node; a different text with the same hash takes the
    // next free key.
    QHash<size_t, int> m_firstRowByMac;
    QHash<size_t, int> m_firstRowByIp;
    bool m_anyMarked = false;
    int m_answers = 0;
    int m_devices = 0;
};

// "N answers from M devices", in the user's language.
QString answerCountToolTip(int answers, int devices);
