#pragma once

#include <Qt>

// The device table's own model roles, which views and proxies read beside
// the display text.
namespace DeviceRoles {
enum Role {
    // The cell as the device sent it, before any display pattern.
    ReceivedText = Qt::UserRole + 1,
    // AnswerMarks::Kind flags of a marked row, in every column of it.
    AnswerKinds,
    // Where and when the row's reply came in (ReplyOrigin).
    Interface,
    ArrivalTime,
    // On the header of an origin column: which one it is.
    OriginColumn,
    // True on every cell of a row whose reply came from another subnet.
    OtherSubnet,
};
}
