#pragma once

#include "clock.h"
#include "launcher.h"
#include "sessionlistreader.h"
#include "stationtile.h"
#include "textlist.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <optional>

// The room as the panel knows it: the twelve tiles, the list of all stations,
// the computers of the latest session list, and the refresh cycle that keeps
// them current.
//
// A refresh launches the session list command and, without waiting for it,
// reads the session list file that an earlier run wrote. It runs at load,
// on every tick of Timer1 (30 s) and on demand. Everything runs on the thread
// that owns the object, one handler at a time; nothing here yields to the
// event loop.
//
// A refresh never ends the program. A launch that fails is reported and the
// file is still read. A read that fails changes no tile and leaves Listpc as
// it was: the file is read whole before anything is shown, and only a
// complete read replaces the room.
class RoomMonitor : public QObject {
    Q_OBJECT
public:
    // The launcher and clock must outlive the monitor. Timer1 is created
    // here, with its 30-second interval, and starts counting at once.
    RoomMonitor(Launcher &launcher, const Clock &clock, QObject *parent = nullptr);

    // The load step: fills Listcomplete with "PC3001" .. "PC3012", sets
    // ShutdownArgs, then refreshes once. Call it once, before the room is
    // first shown.
    void Form_Load();
    void Timer1_Timer();
    void refresh_Click();

    const room::RoomTiles &tiles() const { return m_tiles; }
    const QStringList &Listcomplete() const { return m_listcomplete; }
    // The computer name of every record line of the latest complete read,
    // in file order, duplicates and unknown computers included.
    const TextList &Listpc() const { return m_listpc; }
    // The tail of every shutdown command line: the options and the quoted
    // warning. Empty until Form_Load.
    const QString &ShutdownArgs() const { return m_shutdownArgs; }
    QTimer *Timer1() const { return m_timer1; }

    // What the operator should know about the refresh cycle, in French, for
    // the status line: the latest failure with its number, description and
    // path, or the time of the last read and the age of the file then.
    QString statusText() const;

Q_SIGNALS:
    // A read succeeded: tiles() and Listpc() hold the new room.
    void roomChanged();
    // A read is under way (the hourglass) or over.
    void busyChanged(bool busy);
    void statusChanged();

private:
    void RefreshRoom();
    void ReadSessions();

    Launcher &m_launcher;
    const Clock &m_clock;
    QTimer *m_timer1;
    room::RoomTiles m_tiles;
    QStringList m_listcomplete;
    TextList m_listpc;
    TextList m_stagedListpc; // a read's computers, in the storage of the list it replaced
    QString m_shutdownArgs;

    std::optional<LaunchFailure> m_commandFailure;
    std::optional<ReadFailure> m_readFailure;
    QDateTime m_lastReadAt;
    QDateTime m_fileWrittenAt; // of the file as the last complete read found it
};

// The fixed tail of every shutdown command line: restart, in 120 seconds,
// with the warning in double quotes as one argument. 137 characters.
QString shutdownArguments();
