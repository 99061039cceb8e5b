// veltrin-bench-reply-cost: the window's cost per reply, for callgrind. The
// real window, offscreen, bound to a free loopback port, takes REPLIES
// device replies in rounds of RoundSize from a socket of its own; run it in
// a private network namespace under valgrind by bench/reply_cost.sh, which
// counts the instructions of the hand-over rounds and the label updates.
#include "finder/window/count_label_text.h"
#include "finder/window/main_window.h"
#include "tests/support/test_finder_loopback.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int RoundSize = 100;
constexpr int TimeoutMs = 600'000;

QByteArray reply(int n)
{
    const QByteArray low = QByteArray::number(n % 256, 16).rightJustified(2, '0').toUpper();
    const QByteArray high = QByteArray::number(n / 256, 16).rightJustified(2, '0').toUpper();
    return "mac-address: 00-1C-29-AA-" + high + "-" + low + "\r\nsw-version: 2.4.1.0\r\nserial-number: 2303"
           + QByteArray::number(15000000 + n) + "\r\ndisplay: 1\r\ndescription: Door station " + QByteArray::number(n);
}

bool waitFor(const std::function<bool()> &done)
{
    const QDeadlineTimer deadline(TimeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int replies = argc > 1 ? QByteArray(argv[1]).toInt() : 3000;

    LoopbackDevices devices;
    if (!devices.isReady()) {
        std::fprintf(stderr, "no loopback port\n");
        return 2;
    }
    MainWindow window(devices.finderSettings());
    auto *const label = window.findChild<QLabel *>(u"tFoundDevice"_s);
    if (!label || !waitFor([&devices] { return !devices.requests().isEmpty(); })) {
        std::fprintf(stderr, "the window sent no request\n");
        return 2;
    }
    for (int sent = 0; sent < replies;) {
        const int roundEnd = std::min(replies, sent + RoundSize);
        for (; sent < roundEnd; ++sent)
            devices.answer(reply(sent));
        const QString expected = countLabelText(sent);
        if (!waitFor([label, &expected] { return label->text() == expected; })) {
            std::fprintf(stderr, "stopped at \"%s\"\n", qPrintable(label->text()));
            return 1;
        }
    }
    std::printf("%d replies shown\n", replies);
    return 0;
}
