#include "roomshutdown.h"

#include "platform.h"
#include "roompaths.h"
#include "shutdowncommand.h"

#include <QStringList>
#include <QVariant>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr auto ChainInterval = 10000ms;

// Where each tick of the chain is bound. Timer K shuts down station K.
struct ChainBinding {
    int station;
    const char16_t *timer;
    const char16_t *handler;
};
constexpr ChainBinding ChainBindings[] = {
    {2, u"Timer2", u"Timer2_Timer"},    {3, u"Timer3", u"Timer3_Timer"},   {4, u"Timer4", u"Timer4_Timer"},
    {5, u"Timer5", u"Timer5_Timer"},    {6, u"Timer6", u"Timer6_Timer"},   {7, u"Timer7", u"Timer7_Timer"},
    {8, u"Timer8", u"Timer8_Timer"},    {9, u"Timer9", u"Timer9_Timer"},   {10, u"Timer10", u"Timer10_Timer"},
    {11, u"Timer11", u"Timer11_Timer"}, {12, u"Timer12", u"Timer12_Timer"},
};

} // namespace

RoomShutdown::RoomShutdown(Launcher &launcher, TagSource tags, ArgumentsSource arguments, QObject *parent)
    : QObject(parent), m_launcher(launcher), m_tags(std::move(tags)), m_arguments(std::move(arguments))
{
    for (const ChainBinding &binding : ChainBindings) {
        auto *timer = new QTimer(this);
        timer->setObjectName(QString::fromUtf16(binding.timer));
        timer->setProperty("handler", QString::fromUtf16(binding.handler));
        timer->setInterval(ChainInterval);
        // Coarse timers may fire 5 % late; the countdown shown to the
        // operator should not run past zero.
        timer->setTimerType(Qt::PreciseTimer);
        const int k = binding.station;
        connect(timer, &QTimer::timeout, this, [this, k] { chainTick(k); });
        m_chain[std::size_t(k - 2)] = timer;
    }
}

void RoomShutdown::stationClick(int index)
{
    const QString commandLine = shutdownCommandLine(m_tags(index), m_arguments());
    const std::optional<LaunchFailure> failure = m_launcher.launch(commandLine);
    const bool changed = failure ? (m_failures.value(index) != *failure || !m_failures.contains(index))
                                 : m_failures.contains(index);
    if (failure)
        m_failures.insert(index, *failure);
    else
        m_failures.remove(index);
    if (changed)
        Q_EMIT statusChanged();
}

void RoomShutdown::Stopall_Click()
{
    chainTimer(2)->start();
    stationClick(1);
    Q_EMIT statusChanged();
}

void RoomShutdown::chainTick(int k)
{
    // Launch first, then hand over: a failed launch still moves the chain on.
    stationClick(k);
    chainTimer(k)->stop();
    if (k < room::StationCount)
        chainTimer(k + 1)->start();
    Q_EMIT statusChanged();
}

QString RoomShutdown::statusText() const
{
    QStringList parts;

    // The chain timer that fires first tells the next station; two chains
    // side by side show the nearer one.
    int next = 0;
    int remaining = 0;
    for (int k = 2; k <= room::StationCount; ++k) {
        const QTimer *timer = chainTimer(k);
        if (timer->isActive() && (next == 0 || timer->remainingTime() < remaining)) {
            next = k;
            remaining = timer->remainingTime();
        }
    }
    if (next != 0) {
        const int seconds = (std::max(remaining, 0) + 999) / 1000;
        parts.append(u"Extinction de la salle : %1 dans %2 s."_s.arg(room::stationName(next)).arg(seconds));
    }

    // One sentence per distinct error, naming every station it hit.
    QList<LaunchFailure> errors;
    QList<QStringList> stations;
    for (auto it = m_failures.cbegin(); it != m_failures.cend(); ++it) {
        const qsizetype at = errors.indexOf(it.value());
        if (at < 0) {
            errors.append(it.value());
            stations.append({room::stationName(it.key())});
        } else {
            stations[at].append(room::stationName(it.key()));
        }
    }
    const QString tool = QString::fromStdU16String(platform::hostPath(room::ShutdownTool).u16string());
    for (qsizetype i = 0; i < errors.size(); ++i) {
        parts.append(u"Arrêt non lancé pour %1 : erreur %2, %3 (%4)."_s.arg(
            stations[i].join(u", "_s), QString::number(errors[i].number), errors[i].description, tool));
    }
    return parts.join(u"  "_s);
}
