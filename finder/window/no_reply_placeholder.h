#pragma once

#include <QLabel>
#include <QStringList>

// The text an empty grid shows in its viewport when no device has answered
// a request: where the request went out and what usually keeps devices
// silent. It covers the viewport and follows its size.
class NoReplyPlaceholder : public QLabel
{
    Q_OBJECT

public:
    explicit NoReplyPlaceholder(QWidget *viewport);

    void showRoutes(const QStringList &routes);
    static QString composeText(const QStringList &routes);

    // Softer than the palette's text on its base, as a hint is, but still
    // at least 4.5:1 against it, the usual minimum for small text.
    static QColor hintColor(const QPalette &palette);
    // The contrast ratio of two colours, 1 to 21, from their relative luminance.
    static double contrastRatio(const QColor &a, const QColor &b);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void applyHintColor();

    bool m_applyingColor = false;
};
