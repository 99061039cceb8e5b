#include "finder/window/query_addresses_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const auto SettingsKey = u"query/targets"_s;

} // namespace

QueryAddressesDialog::QueryAddressesDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"queryAddressesDialog"_s);
    setWindowTitle(tr("Query addresses"));

    auto *const layout = new QVBoxLayout(this);
    auto *const prompt = new QLabel(tr("Send the request also to these addresses (for devices behind a router).\n"
                                       "An address, a block such as 10.5.0.0/24 or a range such as "
                                       "10.5.0.10-10.5.0.99;\nseparate several with commas. At most 65536 "
                                       "addresses."), this);
    prompt->setTextFormat(Qt::PlainText);
    layout->addWidget(prompt);

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(u"targetEdit"_s);
    m_edit->setAccessibleName(tr("Addresses to query"));
    m_edit->setMaxLength(4096);
    m_edit->setText(QSettings().value(SettingsKey).toString());
    // Typing replaces the last list; End or a click keeps it.
    m_edit->selectAll();
    prompt->setBuddy(m_edit);
    layout->addWidget(m_edit);

    m_error = new QLabel(this);
    m_error->setObjectName(u"targetError"_s);
    m_error->setTextFormat(Qt::PlainText);
    m_error->setWordWrap(true);
    m_error->hide();
    layout->addWidget(m_error);

    auto *const buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&Query"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QueryAddressesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void QueryAddressesDialog::accept()
{
    const QString text = m_edit->text().trimmed();
    TargetList targets = parseTargetAddresses({text});
    // Nothing is sent until every target is right.
    if (!targets.error.isEmpty()) {
        m_error->setText(targets.error);
        m_error->show();
        m_edit->setFocus();
        return;
    }
    m_targets = std::move(targets);
    QSettings().setValue(SettingsKey, text);
    QDialog::accept();
}
