#pragma once
// Stand-ins shared by the tests: a launcher that records instead of
// starting anything, a clock set by hand, and a drive D: of its own.

#include "clock.h"
#include "launcher.h"
#include "sessionlistreader.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

class RecordingLauncher final : public Launcher {
public:
    std::optional<LaunchFailure> launch(const QString &commandLine) override;

    // Every command line given to launch(), in order.
    QStringList launched;
    // Launches whose command line starts with this text fail with `failure`.
    QString failingPrefix;
    LaunchFailure failure{2, QStringLiteral("No such file or directory")};
};

class ManualClock final : public Clock {
public:
    QDateTime now() const override { return time; }
    QDateTime time = QDateTime(QDate(2026, 12, 7), QTime(8, 30, 0));
};

// A temporary directory that stands for drive D: while the object lives
// (SALLE30_DRIVE_D points at it), with the folder talvero/ in it.
class TrialDrive {
public:
    TrialDrive();
    ~TrialDrive();
    TrialDrive(const TrialDrive &) = delete;
    TrialDrive &operator=(const TrialDrive &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    // Host path of d:\talvero\<name>.
    QString path(const QString &name) const;
    // Writes d:\talvero\dcon.txt with exactly these bytes.
    void writeSessionList(const QByteArray &bytes) const;
    void removeSessionList() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    bool m_hadPrevious;
};

// A sink that keeps every record line's whole cut. Where the computer name
// handed out ahead of the cut differs from the cut's, the kept name shows
// both, "early != cut", so that a comparison fails.
SessionRecordSink keepRecords(QList<SessionRecord> &records);

// One record line in the fixed columns: two backslashes, the computer name
// in columns 3 on, the user name from column 24, the idle time ending in
// column 52. CR LF not included.
QByteArray sessionLine(const QByteArray &computer, const QByteArray &user, const QByteArray &idleTime);

// A field of /proc/self/status in KiB: VmRSS (resident now) or VmHWM (the
// peak since the start or since resetPeakMemory()); -1 where there is none.
qint64 memoryKiB(const QByteArray &field);
void resetPeakMemory();
// False under AddressSanitizer, whose quarantine and padding hide the
// program's own use of memory.
bool memoryIsMeasurable();
