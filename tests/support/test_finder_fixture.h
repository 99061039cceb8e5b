#pragma once

// The finder's controller and table on a loopback endpoint, with a view that
// records every write the controller makes to the window.

#include "devicelist/device_table.h"
#include "discovery/endpoint_error.h"
#include "finder/core/finder_controller.h"
#include "finder/core/finder_view.h"
#include "tests/support/test_finder_loopback.h"

struct FakeView : FinderView
{
    void resultsCleared() override { counts << Cleared; }
    void requestSent(const QString &request) override { requests << request; }
    void datagramHandled(const QString &text, int foundCount) override
    {
        replies << text;
        counts << foundCount;
    }
    void reportFailure(const EndpointError &error) override { failures << error; }
    void showNoReplyHint(const QStringList &routes) override { hints << routes.join(u'\n'); }
    void hideNoReplyHint() override { hints << QString(); }
    void reportWarning(const EndpointError &error) override { warnings << error; }
    void resultsFull(qint64 dropped) override { drops << dropped; }

    // The found count at each datagram, Cleared at each clearing.
    static constexpr int Cleared = -1;
    QList<int> counts;
    QStringList requests, replies;
    // A hint's routes each time one is shown, an empty string each time it is hidden.
    QStringList hints;
    QList<EndpointError> failures, warnings;
    // The dropped count each time the full results dropped a reply.
    QList<qint64> drops;
};

struct Finder
{
    explicit Finder(const DiscoveryEndpoint::Settings &settings)
        : endpoint(settings)
    {
        QObject::connect(&endpoint, &DiscoveryEndpoint::datagramsArrived, &controller,
                         &FinderController::onDatagrams);
    }

    // Every data row's cells, row by row.
    QStringList cells() const
    {
        QStringList all;
        for (int row = 1; row < table.tableRowCount(); ++row) {
            for (int column = 0; column < DeviceTable::ColumnCount; ++column)
                all << table.cellText(row, column);
        }
        return all;
    }

    FakeView view;
    DeviceTable table;
    DiscoveryEndpoint endpoint;
    FinderController controller{view, &table, endpoint};
};
