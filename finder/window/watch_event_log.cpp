#include "finder/window/watch_event_log.h"

#include "devicelist/device_export.h"
#include "devicelist/visible_text.h"
#include "finder/window/plain_tool_tip.h"
#include "finder/window/whole_file.h"

#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

enum Column { TimeColumn, EventColumn, IpColumn, MacColumn, DescriptionColumn, DetailsColumn, ColumnCount };

const QString FirstRoundKeyword = u"first_round"_s;

QString eventLabel(DeviceRoster::Event event)
{
    switch (event) {
    case DeviceRoster::Event::Appeared: return WatchEventLog::tr("appeared");
    case DeviceRoster::Event::Changed: return WatchEventLog::tr("changed");
    case DeviceRoster::Event::Gone: return WatchEventLog::tr("gone");
    case DeviceRoster::Event::Back: return WatchEventLog::tr("back");
    }
    return {};
}

QString dateTime(qint64 timeMs)
{
    return QDateTime::fromMSecsSinceEpoch(timeMs).toString(u"yyyy-MM-dd HH:mm:ss"_s);
}

} // namespace

WatchEventLog::WatchEventLog(QWidget *window)
    : QWidget(window, Qt::Tool)
    , m_list(new QTreeWidget(this))
{
    setObjectName(u"watchEvents"_s);
    setWindowTitle(tr("Watch events"));
    m_list->setObjectName(u"watchEventList"_s);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setHeaderLabels({tr("Date and time"), tr("Event"), tr("IP Address"), tr("MAC Address"), tr("Description"),
                             tr("Details")});
    m_list->header()->setStretchLastSection(true);
    const QFontMetrics metrics = m_list->fontMetrics();
    m_list->setColumnWidth(TimeColumn, metrics.horizontalAdvance(u"0000-00-00 00:00:00"_s) + 16);
    m_list->setColumnWidth(EventColumn, metrics.horizontalAdvance(tr("appeared")) + 24);
    m_list->setColumnWidth(IpColumn, metrics.horizontalAdvance(u"000.000.000.000"_s) + 16);
    m_list->setColumnWidth(MacColumn, metrics.horizontalAdvance(u"00-00-00-00-00-00"_s) + 16);
    m_list->setColumnWidth(DescriptionColumn, metrics.horizontalAdvance(u"0"_s) * 24);

    auto *const save = new QPushButton(tr("&Save as CSV\u2026"), this);
    save->setObjectName(u"saveEventsButton"_s);
    connect(save, &QPushButton::clicked, this, &WatchEventLog::save);
    auto *const layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    auto *const buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    layout->addLayout(buttons);
    resize(metrics.horizontalAdvance(u"0"_s) * 110, metrics.height() * 22);
}

void WatchEventLog::clear()
{
    m_lines.clear();
    m_list->clear();
}

void WatchEventLog::addEvent(DeviceRoster::Event event, const DeviceRoster::Entry &entry, qint64 timeMs)
{
    Line line;
    line.timeMs = timeMs;
    line.event = event;
    line.values = entry.values;
    if (event == DeviceRoster::Event::Changed || event == DeviceRoster::Event::Back) {
        line.previous = entry.previous;
        line.changedFields = entry.changedFields;
    }
    append(line);
}

void WatchEventLog::addFirstRound(qsizetype answered, qint64 timeMs)
{
    Line line;
    line.timeMs = timeMs;
    line.answered = answered;
    append(line);
}

QString WatchEventLog::details(const Line &line, bool forFile)
{
    if (!line.event)
        return forFile ? QString::number(line.answered)
                       : (line.answered == 1 ? tr("1 station answered")
                                             : tr("%1 stations answered").arg(QLocale().toString(line.answered)));
    QStringList changes;
    for (int f = 0; f < DeviceRecord::FieldCount; ++f) {
        if (line.changedFields & (1u << f)) {
            changes << u"%1: %2 \u2192 %3"_s.arg(DeviceRecord::fieldKey(DeviceRecord::Field(f)), line.previous[f],
                                                 line.values[f]);
        }
    }
    return changes.join(u"; "_s);
}

void WatchEventLog::append(const Line &line)
{
    if (m_lines.size() >= MaxEvents) {
        m_lines.removeFirst();
        delete m_list->takeTopLevelItem(0);
    }
    m_lines << line;
    // Device text, one line each, nothing it holds able to pass for another.
    const QStringList texts{
        dateTime(line.timeMs),
        line.event ? eventLabel(*line.event) : tr("first round"),
        visibleText(line.values[DeviceRecord::Ip]),
        visibleText(line.values[DeviceRecord::Mac]),
        visibleText(line.values[DeviceRecord::Description]),
        visibleText(details(line, false)),
    };
    auto *const item = new QTreeWidgetItem(texts);
    for (int c = 0; c < ColumnCount; ++c)
        item->setToolTip(c, plainToolTip(texts[c]));
    m_list->addTopLevelItem(item);
    m_list->scrollToItem(item);
}

QByteArray WatchEventLog::csv() const
{
    QList<QStringList> rows{{u"time"_s, u"event"_s, DeviceRecord::fieldKey(DeviceRecord::Ip),
                             DeviceRecord::fieldKey(DeviceRecord::Mac), DeviceRecord::fieldKey(DeviceRecord::Description),
                             u"details"_s}};
    for (const Line &line : m_lines) {
        rows << QStringList{QDateTime::fromMSecsSinceEpoch(line.timeMs).toString(Qt::ISODate),
                            line.event ? DeviceRoster::eventName(*line.event) : FirstRoundKeyword,
                            line.values[DeviceRecord::Ip], line.values[DeviceRecord::Mac],
                            line.values[DeviceRecord::Description], details(line, true)};
    }
    return DeviceExport::toCsv(rows, false);
}

void WatchEventLog::open()
{
    show();
    raise();
    activateWindow();
    m_list->setFocus(Qt::OtherFocusReason);
}

void WatchEventLog::save()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Save watch events"), u"watch-events.csv"_s,
                                                      tr("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    if (const QString failure = writeWholeFile(path, csv()); !failure.isEmpty())
        QMessageBox::warning(this, windowTitle(), tr("The events could not be saved: %1").arg(failure));
}
