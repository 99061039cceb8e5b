#include "endpoint_error.h"

QString EndpointError::toString() const
{
    const QString what = operation == Operation::Bind ? QStringLiteral("Bind to") : QStringLiteral("Send to");
    return QStringLiteral("%1 %2:%3 failed: %4").arg(what, address, QString::number(port), reason);
}
