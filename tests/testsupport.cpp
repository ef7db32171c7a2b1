#include "testsupport.h"

#include <QDir>
#include <QFile>

std::optional<LaunchFailure> RecordingLauncher::launch(const QString &commandLine)
{
    launched.append(commandLine);
    if (!failingPrefix.isEmpty() && commandLine.startsWith(failingPrefix))
        return failure;
    return std::nullopt;
}

TrialDrive::TrialDrive()
    : m_previous(qgetenv("SALLE30_DRIVE_D")), m_hadPrevious(qEnvironmentVariableIsSet("SALLE30_DRIVE_D"))
{
    QDir(m_dir.path()).mkpath(QStringLiteral("talvero"));
    qputenv("SALLE30_DRIVE_D", QFile::encodeName(m_dir.path()));
}

TrialDrive::~TrialDrive()
{
    if (m_hadPrevious)
        qputenv("SALLE30_DRIVE_D", m_previous);
    else
        qunsetenv("SALLE30_DRIVE_D");
}

QString TrialDrive::path(const QString &name) const
{
    return m_dir.path() + QStringLiteral("/talvero/") + name;
}

void TrialDrive::writeSessionList(const QByteArray &bytes) const
{
    QFile file(path(QStringLiteral("dcon.txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write the trial session list %s", qPrintable(file.fileName()));
}

void TrialDrive::removeSessionList() const
{
    QFile::remove(path(QStringLiteral("dcon.txt")));
}

QByteArray sessionLine(const QByteArray &computer, const QByteArray &user, const QByteArray &idleTime)
{
    QByteArray line = "\\\\" + computer;
    line = line.leftJustified(23, ' ') + user;
    line = line.leftJustified(44, ' ') + idleTime;
    return line;
}

qint64 memoryKiB(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith(field + ':'))
                return line.mid(field.size() + 1).trimmed().split(' ').front().toLongLong();
    return -1;
}

void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

bool memoryIsMeasurable()
{
#ifdef __SANITIZE_ADDRESS__
    return false;
#else
    return true;
#endif
}

SessionRecordSink keepRecords(QList<SessionRecord> &records)
{
    return [&records](const SessionLine &line) {
        const QString early = line.ComputerName().toString();
        SessionRecord record = line.record().toRecord();
        if (record.ComputerName != early)
            record.ComputerName = early + QStringLiteral(" != ") + record.ComputerName;
        records.append(record);
    };
}
