#include "finder/window/no_reply_placeholder.h"

#include <QEvent>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int Margin = 24;
constexpr double MinimumContrast = 4.5;

double relativeLuminance(const QColor &color)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = color.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

QColor mixed(const QColor &from, const QColor &to, double share)
{
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * share, a.greenF() + (b.greenF() - a.greenF()) * share,
                            a.blueF() + (b.blueF() - a.blueF()) * share);
}

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
    applyHintColor();
    // Clicks and the context menu still reach the grid.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
    viewport->installEventFilter(this);
}

double NoReplyPlaceholder::contrastRatio(const QColor &a, const QColor &b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor NoReplyPlaceholder::hintColor(const QPalette &palette)
{
    const QColor text = palette.color(QPalette::Active, QPalette::Text);
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    // A third of the way from the text to its base, or nearer the text
    // where that would be too faint.
    for (double share = 0.35; share > 0; share -= 0.05) {
        const QColor color = mixed(text, base, share);
        if (contrastRatio(color, base) >= MinimumContrast)
            return color;
    }
    return text;
}

void NoReplyPlaceholder::applyHintColor()
{
    QPalette own = palette();
    own.setColor(QPalette::WindowText, hintColor(own));
    setForegroundRole(QPalette::WindowText);
    setPalette(own);
}

void NoReplyPlaceholder::changeEvent(QEvent *event)
{
    // A theme switch: the hint follows the new text and base colours.
    if (event->type() == QEvent::PaletteChange && !m_applyingColor) {
        m_applyingColor = true;
        applyHintColor();
        m_applyingColor = false;
    }
    QLabel::changeEvent(event);
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
