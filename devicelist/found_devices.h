#pragma once

#include "devicelist/answer_marks.h"
#include "devicelist/device_record.h"
#include "devicelist/device_sink.h"

#include <QList>

// The devices one scan found, in arrival order, as records: what the list
// mode prints, without a grid model. Holds no more devices than the table
// has rows, and marks repeats and address conflicts as the table does.
class FoundDevices : public DeviceSink
{
public:
    void clearDevices() override;
    bool takeDevice(const DeviceReply &reply, const QString &senderAddress, const ReplyOrigin &origin) override;

    const QList<DeviceRecord> &records() const { return m_records; }
    qsizetype size() const { return m_records.size(); }
    const DeviceRecord &at(qsizetype index) const { return m_records[index]; }
    const AnswerMarks &answerMarks() const { return m_marks; }

private:
    QList<DeviceRecord> m_records;
    AnswerMarks m_marks;
};
