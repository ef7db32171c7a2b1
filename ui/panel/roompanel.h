#pragma once
// The window Salle30 as its front-ends see it, in plain C++: the room, its
// shutdowns, the window's timers and every text a front-end shows. A
// front-end maps this state to its widgets and forwards its events here;
// it decides nothing itself.

#include "platform.h"
#include "roomlistener.h"
#include "roommonitor.h"
#include "roomshutdown.h"
#include "stationtile.h"
#include "textlist.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace room {

// Timer numbers: 1 is Timer1 (refresh, 30000 ms), 2 .. 12 the room
// shutdown's chain (10000 ms), and CountdownTimer (13) the one-second tick
// that keeps the status area's countdown current while a room shutdown is
// under way.
inline constexpr int CountdownTimer = 13;
inline constexpr int TimerCount = 13;

// What a front-end's real timer must do now to follow the model.
struct TimerOrder {
    enum Kind { Keep, Start, Stop } kind = Keep; // Start: (re)start now with `interval`
    std::chrono::milliseconds interval{0};
    friend bool operator==(const TimerOrder &, const TimerOrder &) = default;
};

// The window Salle30 as its front-ends see it: owns the RoomMonitor and the
// RoomShutdown, the thirteen timers and the countdown, and every text a
// front-end shows.
//
// Every handler runs to its end on the caller's thread and calls the
// listener's roomChanged() once, last, after the panel's own state (the
// countdown timer among it) is current. A front-end then redraws from the
// getters and, for K = 1 .. TimerCount, applies syncTimer(K) to its real
// timer K. busyChanged() reaches the listener as the room sends it.
class RoomPanel {
public:
    // The host and the listener must outlive the panel. Timer1 is enabled
    // from here on, the others are disabled.
    RoomPanel(platform::Host &host, RoomListener &listener);
    RoomPanel(const RoomPanel &) = delete;
    RoomPanel &operator=(const RoomPanel &) = delete;

    // The load step: call it once, before the window is first shown.
    void Form_Load();
    void refresh_Click();
    void Stopall_Click();
    // PC3001_Click .. PC3012_Click (the fifth Pc3005_Click): station 1 .. 12.
    void stationClick(int station);
    // Timer1_Timer .. Timer12_Timer, and the countdown's tick, which only
    // redraws. The tick of a disabled timer does nothing at all, so that a
    // tick the toolkit queued before the timer was stopped is harmless.
    void tick(int timer);

    // Timer 1 .. TimerCount; throws std::out_of_range for another number.
    const TimerState &timer(int timer) const;
    // The one rule of the real timers: start anew when the model enabled
    // the timer again (its enablings changed) or changed its interval, stop
    // when the model disabled it, else keep. Records that the front-end has
    // done it, so the next call says Keep until the model changes.
    TimerOrder syncTimer(int timer);

    const RoomTiles &tiles() const { return m_monitor.tiles(); }
    const std::vector<std::u16string> &Listcomplete() const { return m_monitor.Listcomplete(); }
    const TextList &Listpc() const { return m_monitor.Listpc(); }
    const std::u16string &ShutdownArgs() const { return m_monitor.ShutdownArgs(); }

    // The status area, every line, separated by "\n": the refresh's news,
    // then the room shutdown's countdown and the latest order. A line with
    // nothing to say is left out; empty before the first refresh.
    std::u16string statusText() const;
    // The first line alone (the refresh's news), and the second alone (the
    // countdown and the latest order), for a front-end that shows them
    // apart. Either may be empty.
    std::u16string roomStatusText() const { return m_monitor.statusText(); }
    std::u16string shutdownStatusText() const { return m_shutdown.statusText(); }
    std::u16string statusToolTip() const { return m_monitor.statusToolTip(); }

    // What a screen reader gives element `element` of station `station`'s
    // tile: "PC3007 : inactif", "PC3007 : temps d'inactivité".
    std::u16string pictureName(int station, TileElement element) const;
    // What a screen reader says of a station button: the state of its tile
    // in words ("session de USER17, en cours, inactivité 00:12:41").
    std::u16string buttonDescription(int station) const;
    // The button's caption and its Tag, the computer that its click shuts
    // down: the station name, "PC3005" for the fifth button too.
    const std::u16string &buttonTag(int station) const { return m_tags.at(std::size_t(station - 1)); }
    // "Eteindre PC3007".
    std::u16string buttonToolTip(int station) const;

    const RoomMonitor &monitor() const { return m_monitor; }
    const RoomShutdown &shutdown() const { return m_shutdown; }

private:
    // Between the room and the front-end: brings the countdown up to date
    // before the front-end hears of a change.
    struct Relay final : RoomListener {
        RoomPanel &panel;
        explicit Relay(RoomPanel &panel) : panel(panel) {}
        void busyChanged(bool busy) override { panel.m_listener.busyChanged(busy); }
        void roomChanged() override;
    };
    // What the front-end's real timer was last told.
    struct RealTimer {
        bool running = false;
        std::uint64_t enablings = 0;
        std::chrono::milliseconds interval{0};
    };

    void followChain();

    platform::Host &m_host;
    RoomListener &m_listener;
    Relay m_relay{*this};
    std::array<std::u16string, StationCount> m_tags;
    RoomMonitor m_monitor;
    RoomShutdown m_shutdown;
    TimerState m_countdown;
    std::uint64_t m_chainEnablings = 0; // the sum over the chain at the latest change
    std::array<RealTimer, TimerCount> m_real{};
};

// "aucune session"; "session de m.lefebvre, inactive depuis 02:18:14" when
// the tile has the idle mark; "session de USER17, en cours, inactivité
// 00:12:41" when it has not. An empty user name or idle time leaves its
// part out.
std::u16string stationStateDescription(const StationTile &tile);

// What each tile element shows, in words: "inactif" for the idle mark.
std::u16string tileElementDescription(TileElement element);

// "Eteindre PC3007": the tool tip of station N's button.
std::u16string stationButtonToolTip(int station);

} // namespace room
