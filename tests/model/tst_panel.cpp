// The window as its front-ends see it: the timers a front-end follows, the
// ticks it forwards, and the texts it shows.

#include "modeltesting.h"

#include <functional>

using namespace std::chrono_literals;
using room::TimerOrder;

template <>
struct doctest::StringMaker<TimerOrder> {
    static String convert(const TimerOrder &order)
    {
        const char *kinds[] = {"Keep", "Start", "Stop"};
        return (kinds[order.kind] + (' ' + std::to_string(order.interval.count())) + " ms").c_str();
    }
};

namespace {

constexpr TimerOrder Keep{};
constexpr TimerOrder Stop{TimerOrder::Stop, 0ms};
constexpr TimerOrder StartChain{TimerOrder::Start, 10000ms};
constexpr TimerOrder StartCountdown{TimerOrder::Start, 1000ms};

using Steps = std::function<void(room::RoomPanel &)>;

// Runs `steps` on the panel, each followed by a sync of every timer as a
// front-end does it after a handler.
void runSynced(room::RoomPanel &panel, std::initializer_list<Steps> steps)
{
    for (const Steps &step : steps) {
        step(panel);
        for (int k = 1; k <= room::TimerCount; ++k)
            panel.syncTimer(k);
    }
}

const Steps stopall = [](room::RoomPanel &panel) { panel.Stopall_Click(); };
Steps tick(int k)
{
    return [k](room::RoomPanel &panel) { panel.tick(k); };
}

} // namespace

// From a room where every real timer already follows the model, one more
// handler, and what each real timer must then do. Timers left out of
// `orders` must keep what they do.
TEST_CASE("each real timer starts, starts anew, stops or keeps as the model says")
{
    const struct {
        const char *row;
        std::initializer_list<Steps> before;
        Steps step;
        std::map<int, TimerOrder> orders;
    } rows[] = {
        {"the menu's refresh leaves Timer1 its count", {}, [](room::RoomPanel &p) { p.refresh_Click(); }, {}},
        {"Timer1's own tick: it runs on", {}, tick(1), {}},
        {"a station's button starts no timer", {}, [](room::RoomPanel &p) { p.stationClick(7); }, {}},
        {"room shutdown: Timer2 and the countdown start", {}, stopall, {{2, StartChain}, {13, StartCountdown}}},
        {"room shutdown chosen again while Timer2 waits: Timer2 starts anew",
         {stopall, tick(13)},
         stopall,
         {{2, StartChain}, {13, StartCountdown}}},
        {"Timer2 hands over to Timer3", {stopall}, tick(2), {{2, Stop}, {3, StartChain}, {13, StartCountdown}}},
        {"a countdown tick changes no timer", {stopall}, tick(13), {}},
        {"a second chain beside the first", {stopall, tick(2), tick(3)}, stopall,
         {{2, StartChain}, {13, StartCountdown}}},
        {"Timer12 ends the room shutdown and the countdown",
         {stopall, tick(2), tick(3), tick(4), tick(5), tick(6), tick(7), tick(8), tick(9), tick(10), tick(11)},
         tick(12),
         {{12, Stop}, {13, Stop}}},
        {"one of two chains ends: the other keeps the countdown",
         {stopall, tick(2), tick(3), tick(4), tick(5), tick(6), tick(7), tick(8), tick(9), tick(10), tick(11), stopall},
         tick(12),
         {{12, Stop}}},
        {"Timer2 enabled and handed over between two syncs: Timer3 starts, Timer2 was never started",
         {},
         [](room::RoomPanel &p) {
             p.Stopall_Click();
             p.tick(2);
         },
         {{3, StartChain}, {13, StartCountdown}}},
    };
    for (const auto &row : rows) {
        CAPTURE(row.row);
        platform::MemoryHost host;
        RecordingListener listener;
        room::RoomPanel panel(host, listener);
        panel.Form_Load();
        CHECK(panel.syncTimer(1) == TimerOrder{TimerOrder::Start, 30000ms});
        runSynced(panel, row.before);
        row.step(panel);
        for (int k = 1; k <= room::TimerCount; ++k) {
            CAPTURE(k);
            const auto expected = row.orders.find(k);
            CHECK(panel.syncTimer(k) == (expected == row.orders.end() ? Keep : expected->second));
            // Done once, the order is not given again.
            CHECK(panel.syncTimer(k) == Keep);
        }
    }
}

// A tick that the toolkit queued before its timer was stopped, or one posted
// from outside, arrives while the model has the timer disabled.
TEST_CASE("the tick of a disabled timer does nothing")
{
    const struct {
        const char *row;
        std::initializer_list<Steps> before;
        std::function<void(PanelRoom &)> late;
    } rows[] = {
        {"Timer2 before any room shutdown", {}, [](PanelRoom &r) { r.panel.tick(2); }},
        {"Timer12 before any room shutdown", {}, [](PanelRoom &r) { r.panel.tick(12); }},
        {"the countdown before any room shutdown", {}, [](PanelRoom &r) { r.panel.tick(13); }},
        {"Timer2 again after it handed over", {stopall, tick(2)}, [](PanelRoom &r) { r.panel.tick(2); }},
        {"Timer7 while Timer3 waits", {stopall, tick(2)}, [](PanelRoom &r) { r.panel.tick(7); }},
        {"the countdown after the room shutdown",
         {stopall, tick(2), tick(3), tick(4), tick(5), tick(6), tick(7), tick(8), tick(9), tick(10), tick(11), tick(12)},
         [](PanelRoom &r) { r.panel.tick(13); }},
        {"the chain's own handler, Timer2 disabled", {}, [](PanelRoom &r) {
             // The room shutdown's handler itself, as a front-end without
             // the panel calls it.
             room::RoomShutdown shutdown(r.host, r.listener, [](int n) { return room::stationName(n); },
                                         [] { return room::shutdownArguments(); });
             shutdown.chainTick(2);
             CHECK_FALSE(shutdown.chainRunning());
         }},
    };
    for (const auto &row : rows) {
        CAPTURE(row.row);
        PanelRoom room;
        runSynced(room.panel, row.before);
        const std::size_t launches = room.host.launched.size();
        const std::u16string status = room.panel.statusText();
        std::array<room::TimerState, room::TimerCount> timers;
        for (int k = 1; k <= room::TimerCount; ++k)
            timers[std::size_t(k - 1)] = room.panel.timer(k);
        room.listener.calls.clear();

        row.late(room);
        CHECK(room.host.launched.size() == launches);
        CHECK(room.listener.calls.empty());
        CHECK(room.panel.statusText() == status);
        for (int k = 1; k <= room::TimerCount; ++k)
            CHECK(room.panel.timer(k) == timers[std::size_t(k - 1)]);
    }
    PanelRoom room;
    CHECK_THROWS_AS(room.panel.tick(0), std::out_of_range);
    CHECK_THROWS_AS(room.panel.tick(room::TimerCount + 1), std::out_of_range);
}

// The room shutdown's line under the refresh's, as the status area shows it
// at a given second of a room shutdown chosen at 08:30:00 (second 0).
TEST_CASE("the status area keeps the room shutdown's countdown, second by second")
{
    const struct {
        const char *row;
        int second;
        std::u16string shutdown;
    } rows[] = {
        {"chosen", 0, u"Extinction de la salle : PC3002 dans 10 s. Redémarrage demandé pour PC3001 à 08:30:00."},
        {"one second on", 1, u"Extinction de la salle : PC3002 dans 9 s. Redémarrage demandé pour PC3001 à 08:30:00."},
        {"half way", 4, u"Extinction de la salle : PC3002 dans 6 s. Redémarrage demandé pour PC3001 à 08:30:00."},
        {"last second", 9, u"Extinction de la salle : PC3002 dans 1 s. Redémarrage demandé pour PC3001 à 08:30:00."},
        {"PC3002 reached", 10, u"Extinction de la salle : PC3003 dans 10 s. Redémarrage demandé pour PC3002 à 08:30:10."},
        {"through a refresh", 33, u"Extinction de la salle : PC3005 dans 7 s. Redémarrage demandé pour PC3004 à 08:30:30."},
        {"before PC3012", 109, u"Extinction de la salle : PC3012 dans 1 s. Redémarrage demandé pour PC3011 à 08:31:40."},
        {"over", 115, u"Redémarrage demandé pour PC3012 à 08:31:50."},
    };
    for (const auto &row : rows) {
        CAPTURE(row.row);
        PanelRoom room;
        room.host.writeFile(room::SessionListFile, "");
        room.run([](room::RoomPanel &panel) { panel.Stopall_Click(); });
        room.at(row.second);
        REQUIRE_FALSE(room.panel.roomStatusText().empty());
        CHECK(room.panel.shutdownStatusText() == row.shutdown);
        CHECK(room.panel.statusText() == room.panel.roomStatusText() + u"\n" + row.shutdown);
    }
}

TEST_CASE("the front-end hears of every second of the countdown, and only while it runs")
{
    PanelRoom room;
    room.run([](room::RoomPanel &panel) { panel.Stopall_Click(); });
    room.at(1);
    room.listener.calls.clear();
    room.at(5);
    CHECK(room.listener.calls == std::vector<std::string>(4, "changed"));
    // Timer12 at 110 s ends it; Timer1's next refresh is at 120 s.
    room.at(111);
    room.listener.calls.clear();
    room.at(119);
    CHECK(room.listener.calls.empty());
}

TEST_CASE("the status area shows the lines that have something to say")
{
    platform::MemoryHost host;
    RecordingListener listener;
    room::RoomPanel panel(host, listener);
    CHECK(panel.statusText().empty());
    // A click before any refresh: the order's line alone.
    panel.stationClick(3);
    CHECK(panel.statusText() == u"Redémarrage demandé pour PC3003 à 00:00:00.");
    panel.Form_Load();
    CHECK(panel.statusText() == u"dcon.txt illisible à 00:00:00 : erreur 2, No such file or directory. Aucune salle "
                                u"lue depuis le démarrage.\nRedémarrage demandé pour PC3003 à 00:00:00.");
}

TEST_CASE("what a screen reader reads of a station")
{
    using room::TileElement;
    PanelRoom room;
    room.host.writeFile(room::SessionListFile, sessionLine("PC3007", "USER17", "00:12:41") + "\r\n" +
                                                   sessionLine("PC3009", "m.lefebvre", "02:18:14") + "\r\n" +
                                                   sessionLine("PC3001", "", "00:00:01") + "\r\n" +
                                                   sessionLine("PC3012", "PAUL", "") + "\r\n" +
                                                   sessionLine("PC3012", "PAUL", "00:00:02") + "\r\n");
    room.run([](room::RoomPanel &panel) { panel.refresh_Click(); });
    const struct {
        const char *row;
        int station;
        std::u16string description;
    } buttons[] = {
        {"working", 7, u"session de USER17, en cours, inactivité 00:12:41"},
        {"idle", 9, u"session de m.lefebvre, inactive depuis 02:18:14"},
        {"record without a user", 1, u"aucune session"},
        // The first line ends with the user name, which then stands for the
        // idle time too.
        {"idle once, then working", 12, u"session de PAUL, inactive depuis 00:00:02"},
        {"no record", 5, u"aucune session"},
    };
    for (const auto &row : buttons) {
        CAPTURE(row.row);
        CHECK(room.panel.buttonDescription(row.station) == row.description);
    }

    const struct {
        int station;
        TileElement element;
        std::u16string name;
    } pictures[] = {
        {1, TileElement::Image, u"PC3001 : aucune session"},
        {12, TileElement::ImageBis, u"PC3012 : session ouverte"},
        {7, TileElement::ImageTer, u"PC3007 : utilisateur"},
        {7, TileElement::ImageQ, u"PC3007 : inactif"},
        {10, TileElement::Label, u"PC3010 : nom de l'utilisateur"},
        {10, TileElement::LabelBis, u"PC3010 : deuxième ligne"},
        {5, TileElement::LabelTer, u"PC3005 : temps d'inactivité"},
    };
    for (const auto &row : pictures) {
        CAPTURE(platform::toUtf8(row.name));
        CHECK(room.panel.pictureName(row.station, row.element) == row.name);
    }

    // The fifth button is Pc3005, but its caption, Tag and tool tip say PC3005.
    CHECK(room.panel.buttonTag(5) == u"PC3005");
    CHECK(room.panel.buttonToolTip(5) == u"Eteindre PC3005");
    CHECK(room.panel.buttonToolTip(12) == u"Eteindre PC3012");
}
