#include "finder/window/icon_above_text_button.h"

#include <QKeyEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

IconAboveTextButton::IconAboveTextButton(QWidget *parent)
    : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setFocusPolicy(Qt::StrongFocus);
    setAutoRaise(false);
}

void IconAboveTextButton::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        animateClick();
        return;
    }
    QToolButton::keyPressEvent(event);
}

void IconAboveTextButton::paintEvent(QPaintEvent *event)
{
    QToolButton::paintEvent(event);
    // Tool buttons draw no focus ring in most styles; Tab would leave the
    // user guessing where it went.
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.backgroundColor = palette().color(QPalette::Button);
    const int inset = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) + 1;
    focus.rect = rect().adjusted(inset, inset, -inset, -inset);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
}
