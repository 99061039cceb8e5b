#include "lab_process.h"

#include "event_pump.h"

#include <stdexcept>

using namespace Qt::StringLiterals;

LabProcess::LabProcess(const QString &namespaceName, const QString &program, const QStringList &arguments)
    : m_process(std::make_unique<QProcess>())
{
    if (namespaceName.isEmpty()) {
        m_process->setProgram(program);
        m_process->setArguments(arguments);
    } else {
        // ip execs the program itself, so the process id is the program's.
        m_process->setProgram(u"ip"_s);
        m_process->setArguments(QStringList{u"netns"_s, u"exec"_s, namespaceName, program} + arguments);
    }
    m_process->setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    QObject::connect(m_process.get(), &QProcess::readyReadStandardOutput, m_process.get(), [this] { readLines(); });
}

LabProcess::~LabProcess()
{
    if (isRunning()) {
        m_process->kill();
        m_process->waitForFinished(2000);
    }
}

void LabProcess::setEnvironmentVariable(const QString &name, const QString &value)
{
    QProcessEnvironment environment = m_process->processEnvironment();
    environment.insert(name, value);
    m_process->setProcessEnvironment(environment);
}

void LabProcess::start()
{
    m_process->start();
    if (!m_process->waitForStarted(5000)) {
        throw std::runtime_error("cannot start " + m_process->program().toStdString() + ": "
                                 + m_process->errorString().toStdString());
    }
}

void LabProcess::readLines()
{
    m_pending += QString::fromUtf8(m_process->readAllStandardOutput());
    qsizetype end = 0;
    while ((end = m_pending.indexOf(u'\n')) >= 0) {
        const QString line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        m_lines.append(line);
        for (const QString &word : line.split(u' ', Qt::SkipEmptyParts)) {
            const qsizetype eq = word.indexOf(u'=');
            if (eq > 0)
                m_values.insert(word.left(eq), word.mid(eq + 1));
        }
    }
}

bool LabProcess::waitForLine(const QString &prefix, int timeoutMs)
{
    const auto seen = [&] {
        for (const QString &line : std::as_const(m_lines)) {
            if (line.startsWith(prefix))
                return true;
        }
        return false;
    };
    return pumpUntil([&] { return seen() || !isRunning(); }, timeoutMs) && seen();
}

bool LabProcess::waitForFinished(int timeoutMs)
{
    const bool finished = pumpUntil([&] { return !isRunning(); }, timeoutMs);
    readLines();
    return finished;
}

bool LabProcess::isRunning() const
{
    return m_process->state() != QProcess::NotRunning;
}

void LabProcess::terminate()
{
    m_process->terminate();
}

qint64 LabProcess::processId() const
{
    return m_process->processId();
}

int LabProcess::exitCode() const
{
    return m_process->exitStatus() == QProcess::NormalExit ? m_process->exitCode() : -1;
}

QString LabProcess::value(const QString &key) const
{
    return m_values.value(key);
}

qint64 LabProcess::number(const QString &key) const
{
    return m_values.value(key).toLongLong();
}

QString LabProcess::errorOutput()
{
    return QString::fromUtf8(m_process->readAllStandardError()).trimmed();
}
