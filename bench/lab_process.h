#pragma once

#include <QHash>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// One helper process of the benchmark (sender, bare receiver, watcher, the
// finder itself), optionally inside another network namespace. Its output
// is lines of key=value words; the last value of each key wins.
class LabProcess
{
public:
    // namespaceName empty: this process's own namespace.
    LabProcess(const QString &namespaceName, const QString &program, const QStringList &arguments);
    ~LabProcess();
    LabProcess(const LabProcess &) = delete;
    LabProcess &operator=(const LabProcess &) = delete;

    void setEnvironmentVariable(const QString &name, const QString &value);
    // Throws std::runtime_error if it cannot be started.
    void start();
    // Waits (running the event loop) for a line starting with prefix.
    bool waitForLine(const QString &prefix, int timeoutMs);
    bool waitForFinished(int timeoutMs);
    bool isRunning() const;
    void terminate();

    qint64 processId() const;
    // Exit status and values; valid once finished.
    int exitCode() const;
    QString value(const QString &key) const;
    qint64 number(const QString &key) const;
    QString errorOutput();

private:
    void readLines();

    std::unique_ptr<QProcess> m_process;
    QString m_pending;
    QStringList m_lines;
    QHash<QString, QString> m_values;
};
