#pragma once

#include <QObject>
#include <QString>

class AnswerMarks;
class QLabel;

// The count label's tooltip, "N answers from M devices", worked out when the
// tooltip is asked for: replies cost nothing extra, after a note where there
// is one. No tooltip while the label is empty, as it is after a refresh.
class CountToolTip : public QObject
{
    Q_OBJECT

public:
    CountToolTip(QLabel &label, const AnswerMarks &marks);

    QString text() const;
    // A line above the count, such as the columns of the plan compared.
    void setNote(const QString &note) { m_note = note; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel &m_label;
    const AnswerMarks &m_marks;
    QString m_note;
};
