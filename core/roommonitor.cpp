#include "roommonitor.h"

#include "platform.h"
#include "roompaths.h"

#include <QDateTime>

#include <chrono>
#include <filesystem>
#include <utility>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr auto RefreshInterval = 30000ms;

// Storage that the staged list may keep beyond twice what the shown list
// uses: a room's worth of names many times over.
constexpr std::size_t SpareListSlack = 64 * 1024;

QString hostPathText(const char16_t *windowsPath)
{
    return QString::fromStdU16String(platform::hostPath(windowsPath).u16string());
}

QString describeAge(qint64 seconds)
{
    if (seconds < 120)
        return u"%1 s"_s.arg(seconds);
    if (seconds < 120 * 60)
        return u"%1 min"_s.arg(seconds / 60);
    return u"%1 h"_s.arg(seconds / 3600);
}

} // namespace

QString shutdownArguments()
{
    return u"/R /T:120 \"Attention cet ordinateur se relance dans 2 minutes. Vous devez fermer votre session "
           u"et sortir de la salle dans les 5 minutes.\""_s;
}

RoomMonitor::RoomMonitor(Launcher &launcher, const Clock &clock, QObject *parent)
    : QObject(parent), m_launcher(launcher), m_clock(clock), m_timer1(new QTimer(this))
{
    m_timer1->setObjectName(u"Timer1"_s);
    m_timer1->setInterval(RefreshInterval);
    connect(m_timer1, &QTimer::timeout, this, &RoomMonitor::Timer1_Timer);
    m_timer1->start();
}

void RoomMonitor::Form_Load()
{
    for (int index = 1; index <= room::StationCount; ++index)
        m_listcomplete.append(room::stationName(index));
    m_shutdownArgs = shutdownArguments();
    RefreshRoom();
}

void RoomMonitor::Timer1_Timer()
{
    RefreshRoom();
}

void RoomMonitor::refresh_Click()
{
    // Not a restart of Timer1: the next tick keeps its time.
    RefreshRoom();
}

void RoomMonitor::RefreshRoom()
{
    // The run started here writes the file for a later refresh; this one
    // reads what an earlier run left.
    m_commandFailure = m_launcher.launch(QString::fromUtf16(room::SessionListCommand));
    ReadSessions();
}

void RoomMonitor::ReadSessions()
{
    Q_EMIT busyChanged(true);

    room::RoomTiles next = m_tiles;
    next.ResetStations();
    // A long list is staged in the storage of the one it replaced, so that
    // it costs no fresh memory, and no page faults, on every refresh.
    TextList &computers = m_stagedListpc;
    computers.clear();
    const std::filesystem::path path = platform::hostPath(room::SessionListFile);
    std::chrono::system_clock::time_point written;
    const std::optional<ReadFailure> failure = readSessionListFile(
        path,
        [&](const SessionLine &line) {
            computers.append(line.ComputerName());
            // Only the stations' own lines change a tile, and only they need
            // the rest of the line cut.
            if (room::stationIndex(line.ComputerName()) != 0) {
                const SessionRecordView record = line.record();
                next.ApplySessionRecord(record.ComputerName, record.UserName, record.IdleTime);
            }
        },
        &written);

    m_readFailure = failure;
    if (!failure) {
        m_tiles = std::move(next);
        m_listpc.swap(computers);
        m_lastReadAt = m_clock.now();
        m_fileWrittenAt = QDateTime::fromMSecsSinceEpoch(
            std::chrono::floor<std::chrono::milliseconds>(written.time_since_epoch()).count());
        Q_EMIT roomChanged();
    }
    // Once the room has shrunk, the storage of a past long list goes back.
    if (m_stagedListpc.capacityBytes() > 2 * m_listpc.usedBytes() + SpareListSlack)
        m_stagedListpc.release();
    Q_EMIT busyChanged(false);
    Q_EMIT statusChanged();
}

QString RoomMonitor::statusText() const
{
    QStringList parts;
    if (m_commandFailure) {
        parts.append(u"Lancement impossible de %1 : erreur %2, %3."_s.arg(
            hostPathText(room::SessionListCommand), QString::number(m_commandFailure->number),
            m_commandFailure->description));
    }
    if (m_readFailure) {
        QString text = u"Lecture impossible de %1 : erreur %2, %3."_s.arg(
            hostPathText(room::SessionListFile), QString::number(m_readFailure->number), m_readFailure->description);
        if (m_lastReadAt.isValid())
            text += u" La salle affichée est celle lue à %1."_s.arg(m_lastReadAt.toString(u"HH:mm:ss"));
        parts.append(text);
    } else if (m_lastReadAt.isValid()) {
        QString text = u"Liste des sessions lue à %1"_s.arg(m_lastReadAt.toString(u"HH:mm:ss"));
        if (m_fileWrittenAt.isValid()) {
            const qint64 age = std::max<qint64>(0, m_fileWrittenAt.secsTo(m_lastReadAt));
            text += u", écrite à %1 (il y a %2)"_s.arg(m_fileWrittenAt.toString(u"HH:mm:ss"), describeAge(age));
        }
        parts.append(text + u'.');
    }
    return parts.join(u"  "_s);
}
