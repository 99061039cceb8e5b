#include "no_reply_placeholder.h"

#include <QEvent>

using namespace Qt::StringLiterals;

namespace {

constexpr int Margin = 24;

} // namespace

NoReplyPlaceholder::NoReplyPlaceholder(QWidget *viewport)
    : QLabel(viewport)
{
    setObjectName(u"noReplyPlaceholder"_s);
    // Interface names come from the system: shown as they are.
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMargin(Margin);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setForegroundRole(QPalette::PlaceholderText);
    // Clicks and the context menu still reach the grid.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
    viewport->installEventFilter(this);
}

QString NoReplyPlaceholder::composeText(const QStringList &routes)
{
    QString text = tr("No device has answered yet.") + u"\n\n"_s + tr("The request went out on:") + u'\n';
    for (const QString &route : routes)
        text += u"    "_s + route + u'\n';
    text += u'\n' + tr("Devices usually stay silent because they are on another network segment, "
                       "because a firewall blocks incoming UDP traffic to port 1010, "
                       "or because a VPN carries this computer's traffic.");
    return text;
}

void NoReplyPlaceholder::showRoutes(const QStringList &routes)
{
    setText(composeText(routes));
    setGeometry(parentWidget()->rect());
    show();
    raise();
}

bool NoReplyPlaceholder::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QLabel::eventFilter(watched, event);
}
