// Shutting down one station and the whole room, on virtual time.

#include "modeltesting.h"

#include <algorithm>

using namespace std::chrono_literals;

namespace {

std::u16string commandFor(const std::u16string &station)
{
    return u"d:\\talvero\\shutcmd.exe \\\\" + station +
           u" /R /T:120 \"Attention cet ordinateur se relance dans 2 minutes. Vous devez fermer votre session et "
           u"sortir de la salle dans les 5 minutes.\"";
}

} // namespace

TEST_CASE("a click launches exactly the station's 169-character command line and nothing else")
{
    for (int station = 1; station <= room::StationCount; ++station) {
        CAPTURE(station);
        PanelRoom room;
        room.host.launched.clear();
        const room::RoomTiles tiles = room.panel.tiles();
        room.listener.calls.clear();
        room.panel.stationClick(station);
        REQUIRE(room.host.launched.size() == 1);
        CHECK(room.host.launched.front() == commandFor(room::stationName(station)));
        CHECK(room.host.launched.front().size() == 169);
        CHECK_FALSE(room.panel.shutdown().chainRunning());
        CHECK(room.panel.tiles() == tiles);
        CHECK(room.listener.calls == std::vector<std::string>{"changed"});
    }
}

TEST_CASE("the Tag names the computer, not the button")
{
    platform::MemoryHost host;
    RecordingListener listener;
    room::RoomShutdown shutdown(host, listener, [](int) { return std::u16string(u"pc3005.Salle30 "); },
                                [] { return room::shutdownArguments(); });
    shutdown.stationClick(5);
    REQUIRE(host.launched.size() == 1);
    CHECK(host.launched.front() == commandFor(u"pc3005.Salle30 "));
}

// Choices of the menu item and clicks on station buttons at given seconds,
// and the launches that follow, in order, each with its second.
TEST_CASE("the room shutdown chain")
{
    using Launches = std::vector<std::pair<int, int>>; // (second, station)
    const auto chainFrom = [](int start) {
        Launches launches;
        for (int n = 1; n <= room::StationCount; ++n)
            launches.push_back({start + (n - 1) * 10, n});
        return launches;
    };
    const auto join = [](Launches a, const Launches &b) {
        a.insert(a.end(), b.begin(), b.end());
        std::stable_sort(a.begin(), a.end(), [](auto x, auto y) { return x.first < y.first; });
        std::vector<std::string> lines;
        for (const auto &[second, n] : a)
            lines.push_back(std::to_string(second) + ' ' + platform::toUtf8(room::stationName(n)));
        return lines;
    };
    const struct {
        const char *row;
        std::vector<int> choices;
        Launches clicks;
        std::vector<std::string> launches;
    } rows[] = {
        {"one choice: PC3001 at once, then one every ten seconds", {0}, {}, join(chainFrom(0), {})},
        // Timer2 is enabled again while it waits: still one chain, which
        // starts its ten seconds anew.
        {"second choice within ten seconds: PC3001 twice", {0, 5}, {}, join(chainFrom(5), {{0, 1}})},
        {"second choice 25 s later: two interleaved chains", {0, 25}, {}, join(chainFrom(0), chainFrom(25))},
        {"click during the chain: one more launch", {0}, {{15, 9}}, join(chainFrom(0), {{15, 9}})},
        {"a choice after the end: a fresh chain", {0, 200}, {}, join(chainFrom(0), chainFrom(200))},
    };
    for (const auto &row : rows) {
        CAPTURE(row.row);
        PanelRoom room;
        Launches events = row.clicks;
        for (int second : row.choices)
            events.push_back({second, 0});
        std::stable_sort(events.begin(), events.end(), [](auto a, auto b) { return a.first < b.first; });
        for (const auto &[second, station] : events) {
            room.at(second);
            room.run([station](room::RoomPanel &panel) {
                if (station == 0)
                    panel.Stopall_Click();
                else
                    panel.stationClick(station);
            });
        }
        room.at(1000);
        CHECK(room.launches == row.launches);
        CHECK_FALSE(room.panel.shutdown().chainRunning());
        // The refresh cycle is no part of the chain: 33 refreshes in 1000 s,
        // and the load's.
        CHECK(room.panel.timer(1).Enabled);
        CHECK(std::count(room.host.opened.begin(), room.host.opened.end(), room::SessionListFile) == 34);
    }
}

TEST_CASE("every order is acknowledged; a failed launch is said with its time and the chain goes on")
{
    PanelRoom room;
    room.host.failingLaunches[commandFor(u"PC3003")] = platform::missingFileFailure();
    room.run([](room::RoomPanel &panel) { panel.Stopall_Click(); });
    CHECK(room.panel.shutdownStatusText() ==
          u"Extinction de la salle : PC3002 dans 10 s. Redémarrage demandé pour PC3001 à 08:30:00.");
    room.at(4);
    CHECK(room.panel.shutdownStatusText() ==
          u"Extinction de la salle : PC3002 dans 6 s. Redémarrage demandé pour PC3001 à 08:30:00.");
    room.at(20);
    CHECK(room.panel.shutdownStatusText() == u"Extinction de la salle : PC3004 dans 10 s. Arrêt non lancé pour PC3003 à "
                                        u"08:30:20 : erreur 2, No such file or directory.");
    // Newer news replaces the failure.
    room.at(30);
    CHECK(room.panel.shutdownStatusText() ==
          u"Extinction de la salle : PC3005 dans 10 s. Redémarrage demandé pour PC3004 à 08:30:30.");
    room.at(1000);
    CHECK(room.launches.size() == 12);
    CHECK(room.panel.shutdownStatusText() == u"Redémarrage demandé pour PC3012 à 08:31:50.");
}
