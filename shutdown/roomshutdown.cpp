#include "roomshutdown.h"

#include "roommonitor.h"
#include "shutdowncommand.h"

#include <algorithm>

namespace room {

namespace {

using namespace std::chrono_literals;

constexpr auto ChainInterval = 10000ms;

} // namespace

RoomShutdown::RoomShutdown(platform::Host &host, RoomListener &listener, TagSource tags, ArgumentsSource arguments)
    : m_host(host), m_listener(listener), m_tags(std::move(tags)), m_arguments(std::move(arguments))
{
    for (TimerState &timer : m_chain)
        timer.Interval = ChainInterval;
}

void RoomShutdown::launchStation(int index)
{
    const std::u16string commandLine = shutdownCommandLine(m_tags(index), m_arguments());
    std::optional<platform::Failure> failure = m_host.launch(commandLine);
    m_lastOrder = Order{index, m_host.now(), std::move(failure)};
}

void RoomShutdown::stationClick(int index)
{
    launchStation(index);
    m_listener.roomChanged();
}

void RoomShutdown::Stopall_Click()
{
    m_chain[0].enable(m_host.now());
    launchStation(1);
    m_listener.roomChanged();
}

void RoomShutdown::chainTick(int k)
{
    // A tick queued before its timer was disabled, or posted from outside,
    // must not shut a station down.
    if (!chainTimer(k).Enabled)
        return;
    // Launch first, then hand over: a failed launch still moves the chain on.
    launchStation(k);
    m_chain.at(std::size_t(k - 2)).disable();
    if (k < StationCount)
        m_chain.at(std::size_t(k - 1)).enable(m_host.now());
    m_listener.roomChanged();
}

bool RoomShutdown::chainRunning() const
{
    return std::any_of(m_chain.begin(), m_chain.end(), [](const TimerState &timer) { return timer.Enabled; });
}

std::u16string RoomShutdown::statusText() const
{
    std::u16string text;

    // The chain timer that fires first tells the next station; two chains
    // side by side show the nearer one.
    const auto now = m_host.now();
    int next = 0;
    auto remaining = std::chrono::system_clock::duration::max();
    for (int k = 2; k <= StationCount; ++k) {
        const TimerState &timer = chainTimer(k);
        const auto left = timer.enabledAt + timer.Interval - now;
        if (timer.Enabled && left < remaining) {
            next = k;
            remaining = left;
        }
    }
    if (next != 0) {
        const auto seconds = std::max<long long>(0, std::chrono::ceil<std::chrono::seconds>(remaining).count());
        text = u"Extinction de la salle : " + stationName(next) + u" dans " + decimalText(seconds) + u" s.";
    }

    if (m_lastOrder) {
        if (!text.empty())
            text += u' ';
        const std::u16string at = timeOfDayText(m_host, m_lastOrder->at);
        if (m_lastOrder->failure) {
            text += u"Arrêt non lancé pour " + stationName(m_lastOrder->station) + u" à " + at + u" : " +
                    failureText(*m_lastOrder->failure) + u'.';
        } else {
            text += u"Redémarrage demandé pour " + stationName(m_lastOrder->station) + u" à " + at + u'.';
        }
    }
    return text;
}

} // namespace room
