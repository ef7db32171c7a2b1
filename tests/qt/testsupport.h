#pragma once
// What the Qt tests share: session list lines in the file's fixed columns,
// and a drive D: on disk for the tests that run the real outside programs.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <string>

// One record line in the fixed columns: two backslashes, the computer name
// from column 3, the user name from column 24, the idle time ending in
// column 52. CR LF not included.
inline std::string sessionLine(const std::string &computer, const std::string &user, const std::string &idleTime)
{
    std::string line = "\\\\" + computer;
    line.resize(std::max<std::size_t>(line.size(), 23), ' ');
    line += user;
    line.resize(std::max<std::size_t>(line.size(), 44), ' ');
    return line + idleTime;
}

// A temporary directory that stands for drive D: while the object lives
// (SALLE30_DRIVE_D points at it), with the folder talvero/ in it.
class TrialDrive {
public:
    TrialDrive()
        : m_previous(qgetenv("SALLE30_DRIVE_D")), m_hadPrevious(qEnvironmentVariableIsSet("SALLE30_DRIVE_D"))
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("talvero"));
        qputenv("SALLE30_DRIVE_D", QFile::encodeName(m_dir.path()));
    }
    ~TrialDrive()
    {
        if (m_hadPrevious)
            qputenv("SALLE30_DRIVE_D", m_previous);
        else
            qunsetenv("SALLE30_DRIVE_D");
    }
    TrialDrive(const TrialDrive &) = delete;
    TrialDrive &operator=(const TrialDrive &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    // Host path of d:\talvero\<name>.
    QString path(const QString &name) const { return m_dir.path() + QStringLiteral("/talvero/") + name; }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    bool m_hadPrevious;
};
