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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
