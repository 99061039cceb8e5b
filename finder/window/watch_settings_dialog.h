#pragma once

#include <QDialog>

class QSpinBox;

// "Watch settings…": how often the request goes out and how many rounds a
// device may miss before it is gone.
class WatchSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    WatchSettingsDialog(int intervalSeconds, int goneAfter, QWidget *parent = nullptr);

    int intervalSeconds() const;
    int goneAfter() const;

private:
    QSpinBox *m_interval;
    QSpinBox *m_goneAfter;
};
