#pragma once

#include "platform.h"
#include "roomlistener.h"
#include "station.h"

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace room {

// Shutting down stations: one at a click on its button, or the whole room,
// PC3001 at once and each following station 10 seconds after the one before.
//
// The room shutdown is a chain of eleven one-shot timers, Timer2 .. Timer12:
// the tick of timer K shuts down station K, disables timer K and enables
// timer K + 1. Nothing else records that a room shutdown is under way; its
// progress is read off the enabled timers.
//
// A launch that fails never stops anything: a room shutdown goes on with the
// next station, so that one failure spares no other station. Every launch,
// good or failed, becomes the latest news of the status line.
class RoomShutdown {
public:
    // Reads the current Tag of station N's button.
    using TagSource = std::function<std::u16string(int index)>;
    // Reads the tail of the command line (the options and the warning).
    using ArgumentsSource = std::function<std::u16string()>;

    // The host and the listener must outlive this object. The chain timers
    // start disabled, at 10000 ms each.
    RoomShutdown(platform::Host &host, RoomListener &listener, TagSource tags, ArgumentsSource arguments);

    // The click handler of station N's button (PC3001_Click .. PC3012_Click,
    // the fifth Pc3005_Click): launches the shutdown tool for the station
    // its Tag names and returns at once. Changes nothing on the plan.
    void stationClick(int index);

    // Stopall_Click: enables Timer2, then shuts down PC3001.
    void Stopall_Click();

    // TimerK_Timer, K = 2 .. 12: shuts down station K, disables timer K,
    // enables timer K + 1 (Timer12 enables nothing). Does nothing at all
    // while timer K is disabled.
    void chainTick(int k);

    // Timer K of the chain, K = 2 .. 12.
    const TimerState &chainTimer(int k) const { return m_chain.at(std::size_t(k - 2)); }
    // Whether any chain timer is enabled: a room shutdown is under way.
    bool chainRunning() const;

    // For the status line, in French: the next station of a room shutdown
    // and in how many seconds, while one is under way; and the latest
    // launch, good or failed, with its station and time. Empty when there
    // is nothing to say.
    std::u16string statusText() const;

private:
    // The latest launch of the shutdown tool.
    struct Order {
        int station = 0;
        std::chrono::system_clock::time_point at;
        std::optional<platform::Failure> failure;
    };

    void launchStation(int index);

    platform::Host &m_host;
    RoomListener &m_listener;
    TagSource m_tags;
    ArgumentsSource m_arguments;
    std::array<TimerState, StationCount - 1> m_chain{};
    std::optional<Order> m_lastOrder;
};

} // namespace room
