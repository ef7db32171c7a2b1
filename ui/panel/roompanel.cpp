#include "roompanel.h"

#include <numeric>
#include <stdexcept>

namespace room {

namespace {

using namespace std::chrono_literals;

constexpr auto CountdownInterval = 1000ms;

} // namespace

RoomPanel::RoomPanel(platform::Host &host, RoomListener &listener)
    : m_host(host), m_listener(listener), m_tags([] {
          std::array<std::u16string, StationCount> tags;
          for (int station = 1; station <= StationCount; ++station)
              tags[std::size_t(station - 1)] = stationName(station);
          return tags;
      }()),
      m_monitor(host, m_relay),
      m_shutdown(host, m_relay, [this](int station) { return buttonTag(station); },
                 [this] { return m_monitor.ShutdownArgs(); })
{
    m_countdown.Interval = CountdownInterval;
}

void RoomPanel::Form_Load()
{
    m_monitor.Form_Load();
}

void RoomPanel::refresh_Click()
{
    m_monitor.refresh_Click();
}

void RoomPanel::Stopall_Click()
{
    m_shutdown.Stopall_Click();
}

void RoomPanel::stationClick(int station)
{
    m_shutdown.stationClick(station);
}

void RoomPanel::tick(int k)
{
    if (!timer(k).Enabled)
        return;
    if (k == 1)
        m_monitor.Timer1_Timer();
    else if (k == CountdownTimer)
        m_relay.roomChanged(); // only the countdown's seconds have changed
    else
        m_shutdown.chainTick(k);
}

const TimerState &RoomPanel::timer(int k) const
{
    if (k == 1)
        return m_monitor.Timer1();
    if (k >= 2 && k <= StationCount)
        return m_shutdown.chainTimer(k);
    if (k == CountdownTimer)
        return m_countdown;
    throw std::out_of_range("no such timer");
}

TimerOrder RoomPanel::syncTimer(int k)
{
    const TimerState &state = timer(k);
    RealTimer &real = m_real.at(std::size_t(k - 1));
    if (!state.Enabled) {
        if (!real.running)
            return {};
        real.running = false;
        return {TimerOrder::Stop, {}};
    }
    // Enabling a timer starts its interval anew, also when it was running.
    if (real.running && real.enablings == state.enablings && real.interval == state.Interval)
        return {};
    real = {true, state.enablings, state.Interval};
    return {TimerOrder::Start, state.Interval};
}

void RoomPanel::followChain()
{
    std::uint64_t enablings = 0;
    for (int k = 2; k <= StationCount; ++k)
        enablings += m_shutdown.chainTimer(k).enablings;
    if (!m_shutdown.chainRunning())
        m_countdown.disable();
    else if (!m_countdown.Enabled || enablings != m_chainEnablings)
        // In step with the chain timer just enabled, so that the seconds
        // shown change when its own seconds do.
        m_countdown.enable(m_host.now());
    m_chainEnablings = enablings;
}

void RoomPanel::Relay::roomChanged()
{
    panel.followChain();
    panel.m_listener.roomChanged();
}

std::u16string RoomPanel::statusText() const
{
    std::u16string text = roomStatusText();
    const std::u16string shutdown = shutdownStatusText();
    if (!text.empty() && !shutdown.empty())
        text += u'\n';
    return text + shutdown;
}

std::u16string RoomPanel::pictureName(int station, TileElement element) const
{
    return stationName(station) + u" : " + tileElementDescription(element);
}

std::u16string RoomPanel::buttonDescription(int station) const
{
    return stationStateDescription(tiles().tile(station));
}

std::u16string RoomPanel::buttonToolTip(int station) const
{
    return stationButtonToolTip(station);
}

std::u16string stationButtonToolTip(int station)
{
    return u"Eteindre " + stationName(station);
}

std::u16string stationStateDescription(const StationTile &tile)
{
    if (tile.state == TileState::NoSession)
        return u"aucune session";
    std::u16string text = u"session";
    if (!tile.userName.empty())
        text += u" de " + tile.userName;
    if (tile.state == TileState::InSessionIdle) {
        text += u", inactive";
        if (!tile.idleTime.empty())
            text += u" depuis " + tile.idleTime;
    } else {
        text += u", en cours";
        if (!tile.idleTime.empty())
            text += u", inactivité " + tile.idleTime;
    }
    return text;
}

std::u16string tileElementDescription(TileElement element)
{
    switch (element) {
    case TileElement::Image:
        return u"aucune session";
    case TileElement::ImageBis:
        return u"session ouverte";
    case TileElement::ImageTer:
        return u"utilisateur";
    case TileElement::ImageQ:
        return u"inactif";
    case TileElement::Label:
        return u"nom de l'utilisateur";
    case TileElement::LabelBis:
        return u"deuxième ligne";
    case TileElement::LabelTer:
        return u"temps d'inactivité";
    }
    return {};
}

} // namespace room
