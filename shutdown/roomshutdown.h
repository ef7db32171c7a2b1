#pragma once

#include "launcher.h"
#include "station.h"

#include <QMap>
#include <QObject>
#include <QTimer>

#include <array>
#include <functional>

// Shutting down stations: one at a click on its button, or the whole room,
// PC3001 at once and each following station 10 seconds after the one before.
//
// The room shutdown is a chain of eleven one-shot timers, Timer2 .. Timer12:
// the tick of timer K shuts down station K, disables timer K and enables
// timer K + 1. Nothing else records that a room shutdown is under way; its
// progress is read off the enabled timers.
//
// A launch that fails never stops anything: it is reported in the status
// text (station, number, description) and a room shutdown goes on with the
// next station, so that one failure spares no other station.
class RoomShutdown : public QObject {
    Q_OBJECT
public:
    // Reads the current Tag of station N's button.
    using TagSource = std::function<QString(int index)>;
    // Reads the tail of the command line (the options and the warning).
    using ArgumentsSource = std::function<QString()>;

    // The launcher must outlive this object. The chain timers are created
    // here, disabled, 10000 ms each.
    RoomShutdown(Launcher &launcher, TagSource tags, ArgumentsSource arguments, QObject *parent = nullptr);

    // The click handler of station N's button (PC3001_Click .. PC3012_Click,
    // the fifth Pc3005_Click): launches the shutdown tool for the station
    // its Tag names and returns at once. Changes nothing on the panel.
    void stationClick(int index);

    // Stopall_Click: enables Timer2, then shuts down PC3001.
    void Stopall_Click();

    // TimerK_Timer, K = 2 .. 12: shuts down station K, disables timer K,
    // enables timer K + 1 (Timer12 enables nothing).
    void chainTick(int k);

    // Timer K of the chain, K = 2 .. 12.
    QTimer *chainTimer(int k) const { return m_chain.at(std::size_t(k - 2)); }

    // In French, for the status line: the next station of a room shutdown
    // and in how many seconds, while any chain timer is enabled; and the
    // stations whose shutdown could not be launched, until a later launch
    // for that station succeeds.
    QString statusText() const;

Q_SIGNALS:
    void statusChanged();

private:
    Launcher &m_launcher;
    TagSource m_tags;
    ArgumentsSource m_arguments;
    std::array<QTimer *, room::StationCount - 1> m_chain{};
    QMap<int, LaunchFailure> m_failures; // by station index
};
