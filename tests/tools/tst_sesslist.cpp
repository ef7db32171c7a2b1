// The session lister: sessions as the system gives them, through the
// written file, back through the panel's own reader and tiles; and the
// replace of dcon.txt, on a host held in memory.

#include "sessionlister.h"
#include "sessionlistreader.h"
#include "stationtile.h"
#include "systemencoding.h"
#include "textprinters.h"

#include <doctest/doctest.h>

#include <map>

using namespace lister;

namespace {

// Addresses that resolve, as a DNS server would answer.
const std::map<std::u16string, std::u16string, std::less<>> Dns = {
    {u"10.30.0.4", u"pc3004.lycee.local"},
    {u"10.30.0.7", u"Pc3007.lycee.local"},
    {u"10.30.0.9", u"pc3009"},
    {u"fe80::30:4", u"pc3004.lycee.local"},
    {u"2001:db8::3010", u"pc3010.lycee.local"},
    {u"10.30.0.12", u"10.30.0.12"},
};

std::optional<std::u16string> resolveFromTable(std::u16string_view address)
{
    const auto found = Dns.find(address);
    return found == Dns.end() ? std::nullopt : std::optional(found->second);
}

struct Tile {
    int station;
    room::TileState state;
    std::u16string user;
    std::u16string idleTime;
};

// The records and tiles that the panel takes from what the lister writes.
struct ReadBack {
    std::vector<SessionRecord> records;
    room::RoomTiles tiles;
};

ReadBack readBack(const std::vector<ClientSession> &sessions)
{
    const std::string file = systemEncoding(listText(u"", listedSessions(sessions, resolveFromTable)));
    ReadBack back;
    back.records = parseSessionList(file);
    back.tiles.ResetStations();
    for (const SessionRecord &record : back.records)
        back.tiles.ApplySessionRecord(record.ComputerName, record.UserName, record.IdleTime);
    return back;
}

} // namespace

TEST_CASE("what the panel reads back from the lister's file")
{
    using room::TileState;
    struct Row {
        const char *name;
        std::vector<ClientSession> sessions;
        std::vector<SessionRecord> records;
        std::vector<Tile> tiles; // the others show no session
    };
    const Row rows[] = {
        {"no session", {}, {}, {}},
        {"station by name, with backslashes", {{u"\\\\PC3004", u"USER17", 761}},
         {{u"PC3004", u"USER17", u"00:12:41"}}, {{4, TileState::InSession, u"USER17", u"00:12:41"}}},
        {"names in lower case", {{u"pc3001.lycee.local", u"eleve1", 0}}, {{u"PC3001", u"eleve1", u"00:00:00"}},
         {{1, TileState::InSession, u"eleve1", u"00:00:00"}}},
        {"IPv4 address resolved, first label upper-cased",
         {{u"\\\\10.30.0.7", u"USER05", 10030}, {u"10.30.0.9", u"USER06", 59}},
         {{u"PC3007", u"USER05", u"02:47:10"}, {u"PC3009", u"USER06", u"00:00:59"}},
         {{7, TileState::InSessionIdle, u"USER05", u"02:47:10"}, {9, TileState::InSession, u"USER06", u"00:00:59"}}},
        {"IPv6 addresses resolved", {{u"\\\\fe80::30:4", u"USER1", 1}, {u"2001:db8::3010", u"USER2", 2}},
         {{u"PC3004", u"USER1", u"00:00:01"}, {u"PC3010", u"USER2", u"00:00:02"}},
         {{4, TileState::InSession, u"USER1", u"00:00:01"}, {10, TileState::InSession, u"USER2", u"00:00:02"}}},
        {"address that does not resolve stays an address",
         {{u"\\\\10.30.0.99", u"USER3", 3}, {u"10.30.0.12", u"USER4", 4}},
         {{u"10.30.0.12", u"USER4", u"00:00:04"}, {u"10.30.0.99", u"USER3", u"00:00:03"}}, {}},
        // The reader takes 17 characters of name; the line names no station.
        {"IPv6 address that does not resolve", {{u"2001:db8:0:30::ab:1234", u"USER3", 3}},
         {{u"2001:db8:0:30::ab", u":ab:1234 USER3", u"00:00:03"}}, {}},
        {"users with a domain", {{u"PC3001", u"LYCEE\\jdupont", 5}, {u"PC3002", u"mmartin@lycee.local", 6}},
         {{u"PC3001", u"jdupont", u"00:00:05"}, {u"PC3002", u"mmartin", u"00:00:06"}},
         {{1, TileState::InSession, u"jdupont", u"00:00:05"}, {2, TileState::InSession, u"mmartin", u"00:00:06"}}},
        {"accented names of code page 1252",
         {{u"PC3003", u"Hélène", 7}, {u"PC3005", u"LYCÉE\\Noël Œuvré", 8}, {u"salle-é", u"françois", 9}},
         {{u"PC3003", u"Hélène", u"00:00:07"}, {u"PC3005", u"Noël Œuvré", u"00:00:08"},
          {u"SALLE-É", u"françois", u"00:00:09"}},
         {{3, TileState::InSession, u"Hélène", u"00:00:07"}, {5, TileState::InSession, u"Noël Œuvré", u"00:00:08"}}},
        {"user names longer than the column are cut to 17 characters",
         {{u"PC3006", u"abcdefghijklmnopqrstuvwxyz", 60}, {u"PC3008", u"Éléonore-Françoise Dupont", 61}},
         {{u"PC3006", u"abcdefghijklmnopq", u"00:01:00"}, {u"PC3008", u"Éléonore-François", u"00:01:01"}},
         {{6, TileState::InSession, u"abcdefghijklmnopq", u"00:01:00"},
          {8, TileState::InSession, u"Éléonore-François", u"00:01:01"}}},
        {"computer accounts and anonymous sessions left out",
         {{u"PC3001", u"PC3001$", 1}, {u"PC3002", u"LYCEE\\PC3002$", 1}, {u"PC3003", u"", 1},
          {u"PC3004", u"ANONYMOUS LOGON", 1}, {u"PC3005", u"anonymous logon", 1}, {u"PC3006", u"eleve", 1}},
         {{u"PC3006", u"eleve", u"00:00:01"}}, {{6, TileState::InSession, u"eleve", u"00:00:01"}}},
        {"idle times of 100 hours and more",
         {{u"PC3001", u"a", 360000}, {u"PC3002", u"b", 359999}, {u"PC3003", u"c", 4294967295u}},
         {{u"PC3001", u"a", u"100:00:00"}, {u"PC3002", u"b", u"99:59:59"}, {u"PC3003", u"c", u"99999:59:59"}},
         {{1, TileState::InSessionIdle, u"a", u"100:00:00"}, {2, TileState::InSessionIdle, u"b", u"99:59:59"},
          {3, TileState::InSessionIdle, u"c", u"99999:59:59"}}},
        // The panel keeps a station's idle mark on when any of its lines
        // switched it on: the station is listed once, with its least idle
        // session, by whatever address or name it connected.
        {"two sessions on one station",
         {{u"10.30.0.4", u"ancien", 7200}, {u"\\\\PC3004", u"USER17", 30}, {u"fe80::30:4", u"autre", 600}},
         {{u"PC3004", u"USER17", u"00:00:30"}}, {{4, TileState::InSession, u"USER17", u"00:00:30"}}},
        {"characters beyond 16 bits count as one", {{u"PC3011", u"a\U0001F600b", 1}},
         {{u"PC3011", u"a?b", u"00:00:01"}}, {{11, TileState::InSession, u"a?b", u"00:00:01"}}},
        {"names of 14 to 17 characters", {{u"ABCDEFGHIJKLMN", u"u14", 1}, {u"ABCDEFGHIJKLMNOPQ", u"u17", 1}},
         {{u"ABCDEFGHIJKLMN", u"u14", u"00:00:01"}, {u"ABCDEFGHIJKLMNOPQ", u"OPQ u17", u"00:00:01"}}, {}},
    };
    for (const Row &row : rows) {
        CAPTURE(row.name);
        const ReadBack back = readBack(row.sessions);
        CHECK(back.records == row.records);
        for (int station = 1; station <= room::StationCount; ++station) {
            CAPTURE(station);
            const auto expected = std::find_if(row.tiles.begin(), row.tiles.end(),
                                               [&](const Tile &tile) { return tile.station == station; });
            const room::StationTile &tile = back.tiles.tile(station);
            if (expected == row.tiles.end()) {
                CHECK(tile.state == TileState::NoSession);
                continue;
            }
            CHECK(tile.state == expected->state);
            CHECK(tile.userName == expected->user);
            CHECK(tile.idleTime == expected->idleTime);
        }
    }
}

TEST_CASE("every line ends with CR LF and no heading line is a record")
{
    const std::u16string text =
        listText(u"\\\\SERVEUR", listedSessions({{u"PC3001", u"u", 1}, {u"PC3002", u"v", 2}}, resolveFromTable));
    std::size_t lines = 0;
    std::size_t records = 0;
    for (std::size_t start = 0; start < text.size(); ++lines) {
        const std::size_t end = text.find(u"\r\n", start);
        REQUIRE(end != std::u16string::npos);
        const std::u16string_view line = std::u16string_view(text).substr(start, end - start);
        CHECK(line.find_first_of(u"\r\n") == std::u16string_view::npos);
        records += line.starts_with(u'\\');
        start = end + 2;
    }
    CHECK(records == 2);
    CHECK(lines == 6);
    CHECK(text.starts_with(u"Sessions ouvertes sur \\\\SERVEUR\r\n"));
}

namespace {

// Files, a clock and the system's answers held in memory. The clock moves
// only when the lister pauses.
class MemoryListerHost : public ListerHost {
public:
    std::variant<std::vector<ClientSession>, platform::Failure> answer = std::vector<ClientSession>{};
    std::u16string askedServer = u"(not asked)";
    std::map<std::u16string, std::string, std::less<>> files;
    std::optional<platform::Failure> writeFailure;
    std::vector<platform::Failure> replaceFailures; // one per try, in order; then success
    std::optional<platform::Failure> everyReplaceFails;
    int replaces = 0;
    std::chrono::steady_clock::time_point clock{};
    std::vector<std::pair<std::u16string, bool>> said;

    std::variant<std::vector<ClientSession>, platform::Failure> sessions(std::u16string_view server) override
    {
        askedServer = server;
        return answer;
    }
    std::optional<std::u16string> hostName(std::u16string_view address) override
    {
        return resolveFromTable(address);
    }
    std::string encode(std::u16string_view text) override { return systemEncoding(text); }
    std::optional<platform::Failure> writeNewFile(std::u16string_view path, std::string_view bytes) override
    {
        if (writeFailure)
            return writeFailure;
        if (files.contains(path))
            return platform::Failure{80, u"Le fichier existe"};
        files.emplace(path, bytes);
        return std::nullopt;
    }
    std::optional<platform::Failure> replace(std::u16string_view from, std::u16string_view to) override
    {
        const std::size_t attempt = std::size_t(replaces++);
        if (everyReplaceFails)
            return everyReplaceFails;
        if (attempt < replaceFailures.size())
            return replaceFailures[attempt];
        const auto source = files.find(from);
        REQUIRE(source != files.end());
        files.insert_or_assign(std::u16string(to), source->second);
        files.erase(source);
        return std::nullopt;
    }
    void remove(std::u16string_view path) override
    {
        if (const auto found = files.find(path); found != files.end())
            files.erase(found);
    }
    std::u16string temporaryPath() override { return u"d:\\talvero\\dcon-1-2.tmp"; }
    std::chrono::steady_clock::time_point now() override { return clock; }
    void pause(std::chrono::milliseconds duration) override { clock += duration; }
    void say(std::u16string_view line, bool error) override { said.emplace_back(line, error); }
};

const platform::Failure AccessDenied{5, u"Accès refusé"};
const platform::Failure SharingViolation{32, u"Le processus ne peut pas accéder au fichier"};
const platform::Failure PathNotFound{3, u"Le chemin d'accès spécifié est introuvable"};
const platform::Failure ServerNotStarted{2114, u"Le service Serveur n'est pas démarré"};

} // namespace

TEST_CASE("the list replaces dcon.txt in one step, or dcon.txt stays as it was")
{
    using namespace std::chrono_literals;
    const std::string oldList = "old list\r\n";
    struct Row {
        const char *name;
        std::function<void(MemoryListerHost &)> arrange;
        int exitCode;
        bool replaced;
        int tries;
        std::chrono::milliseconds waited;
        std::u16string_view said;
    };
    const Row rows[] = {
        {"replaced at once", [](MemoryListerHost &) {}, 0, true, 1, 0ms, u"0 session(s) de cet ordinateur"},
        {"held open by a reader for a moment",
         [](MemoryListerHost &host) { host.replaceFailures = {AccessDenied, SharingViolation, AccessDenied}; }, 0,
         true, 4, 150ms, u"écrites dans d:\\talvero\\dcon.txt"},
        {"held open past two seconds", [](MemoryListerHost &host) { host.everyReplaceFails = AccessDenied; }, 1,
         false, 41, 2000ms, u"d:\\talvero\\dcon.txt non remplacé : erreur 5, Accès refusé. Il est inchangé."},
        {"folder gone: no second try", [](MemoryListerHost &host) { host.everyReplaceFails = PathNotFound; }, 1,
         false, 1, 0ms, u"erreur 3, Le chemin d'accès spécifié est introuvable"},
        {"server service not running",
         [](MemoryListerHost &host) { host.answer = ServerNotStarted; }, 1, false, 0, 0ms,
         u"sessions de cet ordinateur illisibles : erreur 2114, Le service Serveur n'est pas démarré. dcon.txt est "
         u"inchangé."},
        {"listing refused", [](MemoryListerHost &host) { host.answer = AccessDenied; }, 1, false, 0, 0ms,
         u"illisibles : erreur 5, Accès refusé"},
        {"temporary file not written", [](MemoryListerHost &host) { host.writeFailure = AccessDenied; }, 1, false,
         0, 0ms, u"d:\\talvero\\dcon-1-2.tmp non écrit : erreur 5, Accès refusé. dcon.txt est inchangé."},
    };
    for (const Row &row : rows) {
        CAPTURE(row.name);
        MemoryListerHost host;
        host.files[std::u16string(ListPath)] = oldList;
        row.arrange(host);
        CHECK(runLister({}, host) == row.exitCode);
        CHECK(host.replaces == row.tries);
        CHECK(host.clock - std::chrono::steady_clock::time_point{} == row.waited);
        // Nothing is left behind but dcon.txt, the old one or the new.
        REQUIRE(host.files.size() == 1);
        const std::string &list = host.files.at(std::u16string(ListPath));
        CHECK((list != oldList) == row.replaced);
        if (row.replaced)
            CHECK(parseSessionList(list).empty());
        REQUIRE(host.said.size() == 1);
        CHECK(host.said[0].second == (row.exitCode != 0));
        CHECK(host.said[0].first.find(row.said) != std::u16string::npos);
    }
}

TEST_CASE("the lister's command line names the server, or nothing")
{
    struct Row {
        const char *name;
        std::vector<std::u16string> arguments;
        int exitCode;
        std::u16string askedServer;
    };
    const Row rows[] = {
        {"this computer", {}, 0, u""},
        {"a server", {u"\\\\SERVEUR"}, 0, u"\\\\SERVEUR"},
        {"a server by its DNS name", {u"\\\\srv-talvero.lycee.local"}, 0, u"\\\\srv-talvero.lycee.local"},
        {"usage", {u"/?"}, 0, u"(not asked)"},
        {"server without backslashes", {u"SERVEUR"}, 2, u"(not asked)"},
        {"backslashes alone", {u"\\\\"}, 2, u"(not asked)"},
        {"blank in the name", {u"\\\\SER VEUR"}, 2, u"(not asked)"},
        {"two servers", {u"\\\\A", u"\\\\B"}, 2, u"(not asked)"},
        {"an option", {u"/x"}, 2, u"(not asked)"},
    };
    for (const Row &row : rows) {
        CAPTURE(row.name);
        MemoryListerHost host;
        CHECK(runLister(row.arguments, host) == row.exitCode);
        CHECK(host.askedServer == row.askedServer);
        CHECK(host.files.contains(ListPath) == (row.askedServer != u"(not asked)"));
    }
}
