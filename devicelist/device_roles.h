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
    // True on every cell of a row that lists a device or a station even
    // without a MAC address (the site view's); the table's rows are in use
    // by their MAC address alone.
    Listed,
    // The site view's SiteRow::Status of a row, as an int, in every column.
    RowStatus,
    // True on every cell of a row that needs a look: a station missing, a
    // device gone.
    Attention,
    // The site view's rows as files and the clipboard carry them: on column
    // 0's header the labels (QStringList), on column 0 of a row its cells.
    ExportCells,
};
}
