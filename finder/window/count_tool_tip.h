#pragma once

#include <QObject>

class AnswerMarks;
class QLabel;

// The count label's tooltip, "N answers from M devices", worked out when the
// tooltip is asked for: replies cost nothing extra. No tooltip while the
// label is empty, as it is after a refresh.
class CountToolTip : public QObject
{
    Q_OBJECT

public:
    CountToolTip(QLabel &label, const AnswerMarks &marks);

    QString text() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel &m_label;
    const AnswerMarks &m_marks;
};
