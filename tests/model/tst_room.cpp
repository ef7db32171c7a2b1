// The twelve tiles and the refresh cycle that feeds them, on a host held in
// memory.

#include "modeltesting.h"

#include <algorithm>

using room::StationTile;
using room::TileState;
using namespace std::chrono_literals;

TEST_CASE("station names match exactly, case and all")
{
    const struct {
        const char *row;
        std::u16string name;
        int index;
    } rows[] = {
        {"first", u"PC3001", 1},
        {"fifth", u"PC3005", 5},
        {"last", u"PC3012", 12},
        {"thirteenth", u"PC3013", 0},
        {"zeroth", u"PC3000", 0},
        {"lower case", u"pc3004", 0},
        {"button spelling of the fifth", u"Pc3005", 0},
        {"leading blank", u" PC3004", 0},
        {"domain suffix", u"PC3004.talvero", 0},
        {"prefix only", u"PC300", 0},
        {"another room", u"PC1207", 0},
        {"another room's twelfth", u"PC3112", 0},
        {"twenty-first", u"PC3021", 0},
        {"blank for a digit", u"PC30 1", 0},
        {"colon, after the nine", u"PC300:", 0},
        {"slash, before the zero", u"PC30/9", 0},
        {"letters for digits", u"PC30AB", 0},
        {"empty", u"", 0},
    };
    for (const auto &row : rows) {
        CAPTURE(row.row);
        CHECK(room::stationIndex(row.name) == row.index);
        if (row.index != 0)
            CHECK(room::stationName(row.index) == row.name);
    }
}

TEST_CASE("records mark their own station's tile only")
{
    struct Record {
        std::u16string computer, user, idle;
    };
    const auto session = [](TileState state, std::u16string user, std::u16string idle) {
        return StationTile{state, std::move(user), u"NOM", std::move(idle)};
    };
    const struct {
        const char *row;
        std::vector<Record> records;
        int station;
        StationTile expected;
    } rows[] = {
        {"no record", {}, 7, {}},
        {"working user", {{u"PC3007", u"USER17", u"00:12:40"}}, 7, session(TileState::InSession, u"USER17", u"00:12:40")},
        {"idle an hour", {{u"PC3007", u"USER17", u"01:12:40"}}, 7,
         session(TileState::InSessionIdle, u"USER17", u"01:12:40")},
        {"single zero hour", {{u"PC3007", u"U", u"0:12:40"}}, 7, session(TileState::InSessionIdle, u"U", u"0:12:40")},
        {"one character", {{u"PC3007", u"U", u"0"}}, 7, session(TileState::InSessionIdle, u"U", u"0")},
        {"empty idle time", {{u"PC3007", u"U", u""}}, 7, session(TileState::InSessionIdle, u"U", u"")},
        {"exactly 00", {{u"PC3007", u"U", u"00"}}, 7, session(TileState::InSession, u"U", u"00")},
        {"idle then active keeps the mark",
         {{u"PC3002", u"A", u"02:00:00"}, {u"PC3002", u"B", u"00:01:00"}},
         2,
         session(TileState::InSessionIdle, u"B", u"00:01:00")},
        {"active then idle",
         {{u"PC3002", u"A", u"00:01:00"}, {u"PC3002", u"B", u"02:00:00"}},
         2,
         session(TileState::InSessionIdle, u"B", u"02:00:00")},
        {"later record without user changes nothing",
         {{u"PC3002", u"A", u"00:01:00"}, {u"PC3002", u"", u"03:00:00"}},
         2,
         session(TileState::InSession, u"A", u"00:01:00")},
        {"longer, shorter, then longer user name",
         {{u"PC3002", u"MARIE-NOELLE", u"00:00:01"}, {u"PC3002", u"YS", u"00:00:02"}, {u"PC3002", u"FRANCOIS", u"00:00:03"}},
         2,
         session(TileState::InSession, u"FRANCOIS", u"00:00:03")},
        {"lower-case name", {{u"pc3004", u"A", u"00:00:01"}}, 4, {}},
        {"record for another station", {{u"PC3008", u"A", u"00:00:01"}}, 7, {}},
        {"thirteenth station", {{u"PC3013", u"A", u"09:00:00"}}, 12, {}},
    };
    for (const auto &row : rows) {
        CAPTURE(row.row);
        room::RoomTiles tiles;
        tiles.ResetStations();
        for (const Record &record : row.records)
            tiles.ApplySessionRecord(record.computer, record.user, record.idle);
        CHECK(tiles.tile(row.station) == row.expected);
        for (int other = 1; other <= room::StationCount; ++other) {
            const bool named = std::any_of(row.records.begin(), row.records.end(), [&](const Record &record) {
                return room::stationIndex(record.computer) == other;
            });
            if (other != row.station && !named)
                CHECK(tiles.tile(other) == StationTile{});
        }
    }
}

TEST_CASE("the visible flags follow the state alone")
{
    using room::TileElement;
    // Which elements each state shows: the stop sign alone, or the session
    // with or without the idle mark.
    const std::vector<TileElement> none{TileElement::Image};
    const std::vector<TileElement> session{TileElement::ImageBis, TileElement::ImageTer, TileElement::Label,
                                           TileElement::LabelBis, TileElement::LabelTer};
    std::vector<TileElement> idle = session;
    idle.push_back(TileElement::ImageQ);
    for (const auto &[state, shown] : {std::pair{TileState::NoSession, none}, std::pair{TileState::InSession, session},
                                       std::pair{TileState::InSessionIdle, idle}}) {
        CAPTURE(state);
        const StationTile tile{state, u"U", u"NOM", u"00:00:01"};
        for (TileElement element : room::AllTileElements)
            CHECK(tile.isVisible(element) == (std::find(shown.begin(), shown.end(), element) != shown.end()));
    }
}

TEST_CASE("load, refresh from the menu and from Timer1: each reads after its own launch")
{
    Room room;
    room.host.writeFile(room::SessionListFile, sessionLine("PC3004", "USER17", "00:12:41") + "\r\n" +
                                                   sessionLine("PC1207", "USER33", "00:00:09") + "\r\n" +
                                                   sessionLine("PC3004", "", "00:00:01") + "\r\n");
    // Timer1 runs from the start, 30 s, and nothing but the room's own
    // construction enables it.
    CHECK(room.monitor.Timer1().Enabled);
    CHECK(room.monitor.Timer1().Interval == 30000ms);
    const std::uint64_t enablings = room.monitor.Timer1().enablings;

    room.monitor.Form_Load();
    room.monitor.refresh_Click();
    room.monitor.Timer1_Timer();
    CHECK(room.host.launched == std::vector<std::u16string>(3, u"d:\\talvero\\session.bat"));
    CHECK(room.host.opened == std::vector<std::u16string>(3, u"d:\\talvero\\dcon.txt"));
    // The hourglass around each read, and one redraw after each handler.
    const std::vector<std::string> oneRefresh{"busy", "idle", "changed"};
    std::vector<std::string> three;
    for (int i = 0; i < 3; ++i)
        three.insert(three.end(), oneRefresh.begin(), oneRefresh.end());
    CHECK(room.listener.calls == three);
    // The menu does not restart the count.
    CHECK(room.monitor.Timer1().enablings == enablings);

    std::vector<std::u16string> all;
    for (int n = 1; n <= room::StationCount; ++n)
        all.push_back(room::stationName(n));
    CHECK(room.monitor.Listcomplete() == all);
    CHECK(room.monitor.Listpc().toStrings() == std::vector<std::u16string>{u"PC3004", u"PC1207", u"PC3004"});
    CHECK(room.monitor.tiles().tile(4) == StationTile{TileState::InSession, u"USER17", u"NOM", u"00:12:41"});

    // The session has ended: the next read shows the station free, the old
    // captions kept behind the stop sign.
    room.host.writeFile(room::SessionListFile, "Aucune session\r\n");
    room.monitor.Timer1_Timer();
    CHECK(room.monitor.tiles().tile(4) == StationTile{TileState::NoSession, u"USER17", u"NOM", u"00:12:41"});
    CHECK(room.monitor.Listpc().count() == 0);
}

TEST_CASE("a failed read keeps the room, says so, and the hourglass still goes")
{
    Room room;
    room.host.writeFile(room::SessionListFile, sessionLine("PC3009", "ELEVE09", "02:47:10") + "\r\n");
    room.host.advance(30s);
    room.monitor.Form_Load();
    const room::RoomTiles before = room.monitor.tiles();

    const platform::Failure denied{13, u"Permission non accordée"};
    const struct {
        const char *row;
        std::optional<platform::Failure> openFailure;
        std::optional<platform::Failure> readFailure;
        platform::Failure expected;
    } rows[] = {
        {"file missing", std::nullopt, std::nullopt, platform::missingFileFailure()},
        {"open refused", denied, std::nullopt, denied},
        {"read fails half way", std::nullopt, platform::Failure{5, u"Input/output error"},
         platform::Failure{5, u"Input/output error"}},
    };
    for (const auto &row : rows) {
        CAPTURE(row.row);
        room.host.advance(30s);
        if (row.openFailure || row.readFailure) {
            room.host.writeFile(room::SessionListFile, sessionLine("PC3001", "A", "00:00:01") + "\r\n" +
                                                           sessionLine("PC3002", "B", "00:00:01") + "\r\n");
            room.host.files[room::SessionListFile].openFailure = row.openFailure;
            room.host.files[room::SessionListFile].readFailure = row.readFailure;
            room.host.files[room::SessionListFile].readFailureAfter = 60;
        } else {
            room.host.removeFile(room::SessionListFile);
        }
        room.listener.calls.clear();
        room.monitor.refresh_Click();
        CHECK(room.listener.calls == std::vector<std::string>{"busy", "idle", "changed"});
        CHECK(room.monitor.tiles() == before);
        CHECK(room.monitor.Listpc().toStrings() == std::vector<std::u16string>{u"PC3009"});
        const std::u16string expected = u"dcon.txt illisible à " + room::timeOfDayText(room.host, room.host.time) +
                                        u" : erreur " + room::decimalText(row.expected.number) +
                                        u", " + row.expected.description +
                                        u". La salle affichée est celle lue à 08:30:30.";
        CHECK(room.monitor.statusText() == expected);
    }
}

TEST_CASE("the status line says when the room was read and how old the file was")
{
    const struct {
        const char *row;
        std::chrono::seconds age;
        std::u16string written;
        std::u16string said;
    } rows[] = {
        {"seconds", 75s, u"08:28:45", u"75 s"},
        {"minutes", 10min, u"08:20:00", u"10 min"},
        {"hours", 3h + 5min, u"05:25:00", u"3 h"},
        {"written after the read's clock", -5s, u"08:30:05", u"0 s"},
    };
    for (const auto &row : rows) {
        CAPTURE(row.row);
        Room room;
        room.host.time -= row.age;
        room.host.writeFile(room::SessionListFile, "");
        room.host.time += row.age;
        room.monitor.Form_Load();
        CHECK(room.monitor.statusText() ==
              u"Salle lue à 08:30:00, dcon.txt écrit à " + row.written + u" (il y a " + row.said + u").");
    }
}

TEST_CASE("the first read can fail too, and a missing session.bat is said beside the read")
{
    Room room;
    room.host.failingLaunches[u"d:\\talvero\\session.bat"] = platform::missingFileFailure();
    room.monitor.Form_Load();
    CHECK(room.monitor.statusText() ==
          u"dcon.txt illisible à 08:30:00 : erreur 2, No such file or directory. Aucune salle lue depuis le "
          u"démarrage. session.bat non lancé : erreur 2, No such file or directory.");
    for (int n = 1; n <= room::StationCount; ++n)
        CHECK(room.monitor.tiles().tile(n).state == TileState::NoSession);

    // Both mended: the next refresh says nothing of the past failures.
    room.host.failingLaunches.clear();
    room.host.writeFile(room::SessionListFile, "");
    room.monitor.refresh_Click();
    CHECK(room.monitor.statusText() == u"Salle lue à 08:30:00, dcon.txt écrit à 08:30:00 (il y a 0 s).");
    CHECK(room.monitor.statusToolTip() == u"session.bat, dcon.txt et shutcmd.exe : d:\\talvero\\");
}

// Listpc holds every computer name of the latest read, in order, whatever
// their lengths, through reads that grow the list, shrink it, empty it and
// keep it the same size, staged in the storage of the list before.
TEST_CASE("Listpc follows every read")
{
    Room room;
    for (const int count : {3000, 2, 0, 4000, 4000, 1}) {
        CAPTURE(count);
        std::string file = "Sessions\r\n";
        std::vector<std::u16string> names;
        for (int i = 0; i < count; ++i) {
            const std::string name = (std::to_string(i) + "-abcdefghijklmnopq").substr(0, std::size_t(1 + i % 17));
            names.emplace_back(name.begin(), name.end()); // ASCII
            file += sessionLine(name, "U", "00:00:01") + "\r\n";
        }
        room.host.writeFile(room::SessionListFile, file);
        room.monitor.refresh_Click();
        CHECK(room.monitor.Listpc().toStrings() == names);
        // Each name costs its characters and a length byte, plus a start
        // for every 64 names: nothing of the reads before.
        CHECK(room.monitor.Listpc().usedBytes() <= std::size_t(count) * (2 * 17 + 1) + std::size_t(count / 64 + 1) * 8);
    }
}
