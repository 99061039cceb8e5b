#include "finder/window/plan_columns_dialog.h"

#include "devicelist/visible_text.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using Field = PlanColumns::Field;

QString fieldText(Field field)
{
    switch (field) {
    case Field::Mac: return PlanColumnsDialog::tr("&MAC address:");
    case Field::Serial: return PlanColumnsDialog::tr("&Serial number:");
    case Field::Ip: return PlanColumnsDialog::tr("&IP address:");
    case Field::Version: return PlanColumnsDialog::tr("&Version:");
    case Field::Name: return PlanColumnsDialog::tr("&Name or location:");
    }
    return {};
}

} // namespace

PlanColumnsDialog::PlanColumnsDialog(const QString &fileName, const PlanHeader &header, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"planColumnsDialog"_s);
    setWindowTitle(tr("Columns of the list"));
    auto *const text = new QLabel(
            tr("No column of %1 is named MAC address, serial number or IP address as the finder knows them. "
               "Choose the columns that give them; the choice is kept for lists with this header.")
                    .arg(visibleText(fileName)),
            this);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    // Room for the text in a few lines, and for long header names.
    setMinimumWidth(fontMetrics().averageCharWidth() * 60);
    auto *const form = new QFormLayout;
    for (int f = 0; f < PlanColumns::FieldCount; ++f) {
        auto *const box = new QComboBox(this);
        box->setObjectName(u"column_"_s + PlanColumns::key(Field(f)));
        box->addItem(tr("(none)"));
        for (qsizetype c = 0; c < header.names.size(); ++c)
            box->addItem(header.columnText(c), header.names[c]);
        box->setCurrentIndex(int(header.columns[f] + 1));
        connect(box, &QComboBox::currentIndexChanged, this, &PlanColumnsDialog::updateOk);
        form->addRow(fieldText(Field(f)), box);
        m_boxes[f] = box;
    }
    auto *const buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *const layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(form);
    layout->addWidget(buttons);
    updateOk();
}

PlanColumns::Choice PlanColumnsDialog::choice() const
{
    PlanColumns::Choice choice;
    for (int f = 0; f < PlanColumns::FieldCount; ++f)
        choice.headers[f] = m_boxes[f]->currentData().toString();
    return choice;
}

void PlanColumnsDialog::updateOk()
{
    const PlanColumns::Choice chosen = choice();
    m_ok->setEnabled(std::any_of(PlanColumns::Identifiers.cbegin(), PlanColumns::Identifiers.cend(),
                                 [&chosen](Field field) { return !chosen.header(field).isEmpty(); }));
}
