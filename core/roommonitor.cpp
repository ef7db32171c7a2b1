#include "roommonitor.h"

#include "roompaths.h"
#include "sessionlistreader.h"

#include <algorithm>
#include <string>

namespace room {

namespace {

using namespace std::chrono_literals;

constexpr auto RefreshInterval = 30000ms;

// Storage that the staged list may keep beyond twice what the shown list
// uses: a room's worth of names many times over.
constexpr std::size_t SpareListSlack = 64 * 1024;

std::u16string twoDigits(int value)
{
    return {char16_t(u'0' + value / 10 % 10), char16_t(u'0' + value % 10)};
}

// "30 s", "5 min", "3 h": how old the file was when it was read.
std::u16string describeAge(std::chrono::seconds age)
{
    const long long seconds = std::max<long long>(0, age.count());
    if (seconds < 120)
        return decimalText(seconds) + u" s";
    if (seconds < 120 * 60)
        return decimalText(seconds / 60) + u" min";
    return decimalText(seconds / 3600) + u" h";
}

} // namespace

std::u16string failureText(const platform::Failure &failure)
{
    return u"erreur " + decimalText(failure.number) + u", " + failure.description;
}

std::u16string shutdownArguments()
{
    return u"/R /T:120 \"Attention cet ordinateur se relance dans 2 minutes. Vous devez fermer votre session "
           u"et sortir de la salle dans les 5 minutes.\"";
}

std::u16string timeOfDayText(const platform::Host &host, std::chrono::system_clock::time_point time)
{
    const platform::TimeOfDay local = host.localTimeOfDay(time);
    return twoDigits(local.hour) + u':' + twoDigits(local.minute) + u':' + twoDigits(local.second);
}

RoomMonitor::RoomMonitor(platform::Host &host, RoomListener &listener) : m_host(host), m_listener(listener)
{
    m_timer1.Interval = RefreshInterval;
    m_timer1.enable(m_host.now());
}

void RoomMonitor::Form_Load()
{
    for (int index = 1; index <= StationCount; ++index)
        m_listcomplete.push_back(stationName(index));
    m_shutdownArgs = shutdownArguments();
    RefreshRoom();
    m_listener.roomChanged();
}

void RoomMonitor::Timer1_Timer()
{
    RefreshRoom();
    m_listener.roomChanged();
}

void RoomMonitor::refresh_Click()
{
    // Not a restart of Timer1: the next tick keeps its time.
    RefreshRoom();
    m_listener.roomChanged();
}

void RoomMonitor::RefreshRoom()
{
    // The run started here writes the file for a later refresh; this one
    // reads what an earlier run left.
    m_commandFailure = m_host.launch(SessionListCommand);
    ReadSessions();
}

void RoomMonitor::ReadSessions()
{
    m_listener.busyChanged(true);

    RoomTiles next = m_tiles;
    next.ResetStations();
    // A long list is staged in the storage of the one it replaced, so that
    // it costs no fresh memory, and no page faults, on every refresh.
    TextList &computers = m_stagedListpc;
    computers.clear();

    std::optional<platform::Failure> failure;
    std::chrono::system_clock::time_point written{};
    auto opened = m_host.openForReading(SessionListFile);
    if (auto *openFailure = std::get_if<platform::Failure>(&opened)) {
        failure = std::move(*openFailure);
    } else {
        platform::InputFile &file = *std::get<std::unique_ptr<platform::InputFile>>(opened);
        written = file.lastWritten();
        failure = readSessionList(file, [&](const SessionLine &line) {
            computers.append(line.ComputerName());
            // Only the stations' own lines change a tile, and only they need
            // the rest of the line cut.
            if (stationIndex(line.ComputerName()) != 0) {
                const SessionRecordView record = line.record();
                next.ApplySessionRecord(record.ComputerName, record.UserName, record.IdleTime);
            }
        });
    }

    const auto now = m_host.now();
    m_readFailure = failure;
    if (failure) {
        m_readFailedAt = now;
    } else {
        m_tiles = std::move(next);
        m_listpc.swap(computers);
        m_lastReadAt = now;
        m_fileWrittenAt = written;
    }
    // Once the room has shrunk, the storage of a past long list goes back.
    if (m_stagedListpc.capacityBytes() > 2 * m_listpc.usedBytes() + SpareListSlack)
        m_stagedListpc.release();
    m_listener.busyChanged(false);
}

std::u16string RoomMonitor::statusText() const
{
    std::u16string text;
    if (m_readFailure) {
        text = u"dcon.txt illisible à " + timeOfDayText(m_host, m_readFailedAt) + u" : " +
               failureText(*m_readFailure) + u". ";
        // The plan still shows an older room: say which, for as long as the
        // file cannot be read.
        if (m_lastReadAt)
            text += u"La salle affichée est celle lue à " + timeOfDayText(m_host, *m_lastReadAt) + u'.';
        else
            text += u"Aucune salle lue depuis le démarrage.";
    } else if (m_lastReadAt) {
        const auto age = std::chrono::floor<std::chrono::seconds>(*m_lastReadAt - m_fileWrittenAt);
        text = u"Salle lue à " + timeOfDayText(m_host, *m_lastReadAt) + u", dcon.txt écrit à " +
               timeOfDayText(m_host, m_fileWrittenAt) + u" (il y a " + describeAge(age) + u").";
    }
    if (m_commandFailure) {
        if (!text.empty())
            text += u' ';
        text += u"session.bat non lancé : " + failureText(*m_commandFailure) + u'.';
    }
    return text;
}

std::u16string RoomMonitor::statusToolTip() const
{
    return u"session.bat, dcon.txt et shutcmd.exe : " + m_host.displayPath(Folder);
}

} // namespace room
