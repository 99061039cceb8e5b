#pragma once

#include <QToolButton>

// A push button with its picture above the caption. QToolButton draws that
// layout; this adds what a push button does with the keyboard: Space and
// Enter press it while it has the focus, and Tab reaches it.
class IconAboveTextButton : public QToolButton
{
    Q_OBJECT

public:
    explicit IconAboveTextButton(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
