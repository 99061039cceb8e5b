#include "devicelist/answer_marks.h"

#include "devicelist/device_roles.h"

#include <QStringList>

using namespace Qt::StringLiterals;

QStringView AnswerMarks::macOf(int row) const
{
    const Row &r = m_rows[row];
    return QStringView(m_text).sliced(r.textStart, r.macLength);
}

QStringView AnswerMarks::ipOf(int row) const
{
    const Row &r = m_rows[row];
    return QStringView(m_text).sliced(r.textStart + r.macLength, r.ipLength);
}

std::pair<size_t, int> AnswerMarks::find(const QHash<size_t, int> &rows, QStringView text,
                                         QStringView (AnswerMarks::*of)(int) const) const
{
    // The process's random seed keeps crafted texts from piling up on one key.
    size_t key = qHash(text, QHashSeed::globalSeed());
    for (auto it = rows.constFind(key); it != rows.cend(); it = rows.constFind(++key)) {
        if ((this->*of)(*it) == text)
            return {key, *it};
    }
    return {key, -1};
}

void AnswerMarks::note(int row, QStringView ip, QStringView mac)
{
    ++m_answers;
    // Looked up before this row's own text is stored under its number.
    const auto [macKey, sameMac] = find(m_firstRowByMac, mac, &AnswerMarks::macOf);
    const auto [ipKey, sameIp] = ip.isEmpty() ? std::pair<size_t, int>(0, -1)
                                              : find(m_firstRowByIp, ip, &AnswerMarks::ipOf);

    if (row >= m_rows.size())
        m_rows.resize(row + 1);
    m_rows[row] = Row{{}, m_text.size(), mac.size(), ip.size(), -1};
    m_text.append(mac);
    m_text.append(ip);

    Mark mark;
    if (sameMac >= 0) {
        mark.repeatsRow = sameMac;
    } else {
        m_firstRowByMac.insert(macKey, row);
        ++m_devices;
    }
    if (sameIp < 0) {
        if (!ip.isEmpty())
            m_firstRowByIp.insert(ipKey, row);
    } else if (macOf(sameIp) != mac) {
        mark.conflictsWithRow = sameIp;
        if (m_rows[sameIp].otherRow < 0)
            m_rows[sameIp].otherRow = row;
    } else if (m_rows[sameIp].otherRow >= 0) {
        mark.conflictsWithRow = m_rows[sameIp].otherRow;
    }
    m_rows[row].mark = mark;
    m_anyMarked = m_anyMarked || mark.isRepeat() || mark.isConflict();
}

void AnswerMarks::clear()
{
    m_text.clear();
    m_rows.clear();
    m_firstRowByMac.clear();
    m_firstRowByIp.clear();
    m_anyMarked = false;
    m_answers = 0;
    m_devices = 0;
}

AnswerMarks::Mark AnswerMarks::mark(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].mark : Mark();
}

QString AnswerMarks::toolTip(const Mark &mark) const
{
    // Rows are named as column # numbers them.
    QStringList lines;
    if (mark.isConflict()) {
        lines << tr("Address conflict: row %1 answered from the same IP address with another MAC address.")
                         .arg(mark.conflictsWithRow + 1);
    }
    if (mark.isRepeat())
        lines << tr("Repeated answer: row %1 has the same MAC address.").arg(mark.repeatsRow + 1);
    return lines.join(u'\n');
}

QVariant AnswerMarks::data(int row, int role) const
{
    if (!m_anyMarked || row < 0 || row >= m_rows.size())
        return {};
    const Mark &mark = m_rows[row].mark;
    if (!mark.isRepeat() && !mark.isConflict())
        return {};
    switch (role) {
    case DeviceRoles::AnswerKinds:
        return (mark.isRepeat() ? Repeat : 0) | (mark.isConflict() ? Conflict : 0);
    case Qt::ToolTipRole:
        return toolTip(mark);
    default:
        return {};
    }
}

QString answerCountToolTip(int answers, int devices)
{
    if (answers == 1 && devices == 1)
        return AnswerMarks::tr("1 answer from 1 device");
    if (devices == 1)
        return AnswerMarks::tr("%1 answers from 1 device").arg(answers);
    return AnswerMarks::tr("%1 answers from %2 devices").arg(answers).arg(devices);
}
