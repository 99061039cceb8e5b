#include "finder/window/watch_settings_dialog.h"

#include "devicelist/device_roster.h"
#include "finder/core/device_watch.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

using namespace Qt::StringLiterals;

WatchSettingsDialog::WatchSettingsDialog(int intervalSeconds, int goneAfter, QWidget *parent)
    : QDialog(parent)
    , m_interval(new QSpinBox(this))
    , m_goneAfter(new QSpinBox(this))
{
    setObjectName(u"watchSettingsDialog"_s);
    setWindowTitle(tr("Watch settings"));
    m_interval->setObjectName(u"watchInterval"_s);
    m_interval->setRange(DeviceWatch::MinIntervalSeconds, DeviceWatch::MaxIntervalSeconds);
    m_interval->setSuffix(tr(" s"));
    m_interval->setValue(intervalSeconds);
    m_goneAfter->setObjectName(u"watchGoneAfter"_s);
    m_goneAfter->setRange(1, DeviceRoster::MaxGoneAfter);
    m_goneAfter->setValue(goneAfter);

    auto *const buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *const form = new QFormLayout(this);
    form->addRow(tr("Send the request &every:"), m_interval);
    form->addRow(tr("A device is &gone after this many rounds without an answer:"), m_goneAfter);
    form->addRow(buttons);
}

int WatchSettingsDialog::intervalSeconds() const
{
    return m_interval->value();
}

int WatchSettingsDialog::goneAfter() const
{
    return m_goneAfter->value();
}
