#pragma once

#include "platform.h"
#include "roomlistener.h"
#include "stationtile.h"
#include "textlist.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace room {

// The room as the panel knows it: the twelve tiles, the list of all stations,
// the computers of the latest session list, and the refresh cycle that keeps
// them current (Timer1, 30 s).
//
// A refresh launches the session list command and, without waiting for it,
// reads the session list file that an earlier run wrote. Every handler runs
// to its end on the caller's thread and calls the listener's roomChanged()
// last; nothing here waits for anything.
//
// A refresh never ends the program. A launch that fails is reported and the
// file is still read. A read that fails changes no tile and leaves Listpc as
// it was: the file is read whole before anything is shown, and only a
// complete read replaces the room.
class RoomMonitor {
public:
    // The host and the listener must outlive the monitor. Timer1 is enabled
    // from here on, at 30000 ms.
    RoomMonitor(platform::Host &host, RoomListener &listener);

    // The load step: fills Listcomplete with "PC3001" .. "PC3012", sets
    // ShutdownArgs, then refreshes once. Call it once, before the room is
    // first shown.
    void Form_Load();
    void Timer1_Timer();
    void refresh_Click();

    const RoomTiles &tiles() const { return m_tiles; }
    const std::vector<std::u16string> &Listcomplete() const { return m_listcomplete; }
    // The computer name of every record line of the latest complete read,
    // in file order, duplicates and unknown computers included.
    const TextList &Listpc() const { return m_listpc; }
    // The tail of every shutdown command line: the options and the quoted
    // warning. Empty until Form_Load.
    const std::u16string &ShutdownArgs() const { return m_shutdownArgs; }
    const TimerState &Timer1() const { return m_timer1; }

    // For the status line, in French, short enough for the window: the
    // latest read (when, and how old the file was), or why it failed and
    // since when the plan is the one shown; and a failed launch of the
    // session list command. Empty before the first refresh.
    std::u16string statusText() const;
    // The full paths that statusText() names by their file names.
    std::u16string statusToolTip() const;

private:
    void RefreshRoom();
    void ReadSessions();

    platform::Host &m_host;
    RoomListener &m_listener;
    TimerState m_timer1;
    RoomTiles m_tiles;
    std::vector<std::u16string> m_listcomplete;
    TextList m_listpc;
    TextList m_stagedListpc; // a read's computers, in the storage of the list it replaced
    std::u16string m_shutdownArgs;

    std::optional<platform::Failure> m_commandFailure;
    std::optional<platform::Failure> m_readFailure;
    std::chrono::system_clock::time_point m_readFailedAt{};
    std::optional<std::chrono::system_clock::time_point> m_lastReadAt;
    std::chrono::system_clock::time_point m_fileWrittenAt{}; // of the file as the last complete read found it
};

// The fixed tail of every shutdown command line: restart, in 120 seconds,
// with the warning in double quotes as one argument. 137 characters.
std::u16string shutdownArguments();

// "erreur 2, No such file or directory": a failure as the status texts give
// it.
std::u16string failureText(const platform::Failure &failure);

// "08:30:00": the local time of day of `time` on `host`.
std::u16string timeOfDayText(const platform::Host &host, std::chrono::system_clock::time_point time);

} // namespace room
