#pragma once

#include "devicelist/plan_columns.h"
#include "devicelist/plan_header.h"

#include <QDialog>

#include <array>

class QComboBox;
class QPushButton;

// For a plan whose header names no MAC, serial or IP column the finder
// knows: the user says which of its columns gives each field, picking from
// the header's names. The columns the header does name are picked already.
class PlanColumnsDialog : public QDialog
{
    Q_OBJECT

public:
    PlanColumnsDialog(const QString &fileName, const PlanHeader &header, QWidget *parent = nullptr);

    PlanColumns::Choice choice() const;
    QComboBox *box(PlanColumns::Field field) const { return m_boxes[static_cast<int>(field)]; }

private:
    // OK once a column gives an identifier: MAC, serial or IP.
    void updateOk();

    std::array<QComboBox *, PlanColumns::FieldCount> m_boxes{};
    QPushButton *m_ok = nullptr;
};
