#pragma once

#include "discovery/target_addresses.h"

#include <QDialog>

class QLabel;
class QLineEdit;

// "Query addresses…": the addresses, CIDR blocks or ranges to send the
// request to besides the broadcast, for devices behind a router. The same
// syntax as --target; the last value accepted is remembered.
class QueryAddressesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit QueryAddressesDialog(QWidget *parent = nullptr);

    // Valid once the dialog has been accepted.
    const TargetList &targets() const { return m_targets; }

    void accept() override;

private:
    QLineEdit *m_edit = nullptr;
    QLabel *m_error = nullptr;
    TargetList m_targets;
};
