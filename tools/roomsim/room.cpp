#include "room.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <utility>

namespace roomsim {

namespace {

using std::chrono::milliseconds;
using std::chrono::minutes;
using std::chrono::seconds;

// Indices in computerNames(): PC1207, the twelve stations, the server.
constexpr std::size_t FirstStationIndex = 1;
constexpr std::size_t StationCount = 12;
constexpr std::size_t ServerIndex = FirstStationIndex + StationCount;

// Users of the school. Some names are long (the listing can show only part
// of them), some have accented letters (they must survive the code page);
// all fit in CP1252, the code page of the room's server. More names than
// computers, so a free name is always found.
constexpr std::array<std::string_view, 22> UserPool{
    "jdupont",
    "Hélène",
    "François",
    "m.lefebvre",
    "Marie-Noëlle Delacroix-Beauregard",
    "eleve07",
    "Zoé",
    "thomas.garnier",
    "Jean Marc Leroy",
    "prof.info",
    "a.benali",
    "Lucie",
    "kevin.m",
    "Sébastien.Moreau",
    "stagiaire2",
    "Ophélie",
    "n.nguyen",
    "Bérénice-Anaïs Castelnau",
    "gaetan",
    "Chloé.L",
    "eleve23",
    "Ys",
};
constexpr std::size_t LongNameIndex = 4;
constexpr std::size_t AccentedNameIndex = 2;
constexpr std::string_view ServerUser = "Administrateur";

// What a draw is for; part of the hash so that draws never correlate.
enum class Purpose : std::uint64_t {
    TickInstant = 1,
    Logoff,
    Activity,
    Logon,
    HabitChoice,
    UserChoice,
    Occupied,
    Idle,
    LogonAge,
    PickLong,
    PickAccented,
    PickGone,
};

std::uint64_t mix(std::uint64_t x)
{
    // splitmix64's finaliser: every input bit reaches every output bit.
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

std::uint64_t draw(std::uint64_t seed, std::int64_t minute, std::size_t computer, Purpose purpose)
{
    std::uint64_t h = mix(seed);
    h = mix(h ^ static_cast<std::uint64_t>(minute));
    h = mix(h ^ computer);
    return mix(h ^ static_cast<std::uint64_t>(purpose));
}

bool chance(std::uint64_t h, double probability)
{
    return static_cast<double>(h >> 11) * 0x1.0p-53 < probability;
}

double activityPerMinute(Habit habit)
{
    switch (habit) {
    case Habit::Busy:
        return 0.7;
    case Habit::Reading:
        return 0.12;
    case Habit::Gone:
        return 0.0;
    case Habit::Server:
        return 0.03;
    }
    return 0.0;
}

double logoffPerMinute(Habit habit)
{
    switch (habit) {
    case Habit::Busy:
        return 1.0 / 75;
    case Habit::Reading:
        return 1.0 / 120;
    case Habit::Gone:
        return 1.0 / 500;
    case Habit::Server:
        return 0.0;
    }
    return 0.0;
}

double logonPerMinute(std::size_t computer)
{
    if (computer == ServerIndex)
        return 1.0 / 240; // someone opens the console again, now and then
    if (computer == 0)
        return 1.0 / 60;
    return 1.0 / 30;
}

Habit drawHabit(std::uint64_t h)
{
    const std::uint64_t r = h % 100;
    if (r < 55)
        return Habit::Busy;
    if (r < 85)
        return Habit::Reading;
    return Habit::Gone;
}

bool userInUse(const Room &room, std::string_view user)
{
    return std::any_of(room.computers.begin(), room.computers.end(),
                       [&](const Computer &c) { return c.session && c.session->user == user; });
}

// A pool name that no one uses at the moment, starting from a drawn place.
std::string freeUser(const Room &room, std::uint64_t h)
{
    const std::size_t start = h % UserPool.size();
    for (std::size_t i = 0; i < UserPool.size(); ++i) {
        const std::string_view user = UserPool[(start + i) % UserPool.size()];
        if (!userInUse(room, user))
            return std::string(user);
    }
    return std::string(UserPool[start]); // unreachable: more names than computers
}

std::int64_t minuteOf(TimePoint t)
{
    return std::chrono::floor<minutes>(t).time_since_epoch().count();
}

TimePoint tickInstant(std::uint64_t seed, std::int64_t minute, std::size_t computer)
{
    const auto offset = milliseconds(draw(seed, minute, computer, Purpose::TickInstant) % 60000);
    return TimePoint(minutes(minute)) + offset;
}

void restartsDue(Room &room, TimePoint t)
{
    for (Computer &c : room.computers) {
        if (c.restartAt && *c.restartAt <= t) {
            c.session.reset();
            c.quietUntil = std::max(c.quietUntil, *c.restartAt + RestartQuietPeriod);
            c.restartAt.reset();
        }
    }
}

void tick(Room &room, std::size_t index, std::int64_t minute, TimePoint at)
{
    Computer &c = room.computers[index];
    if (c.session) {
        if (chance(draw(room.seed, minute, index, Purpose::Logoff), logoffPerMinute(c.session->habit))) {
            c.session.reset();
            return;
        }
        if (chance(draw(room.seed, minute, index, Purpose::Activity), activityPerMinute(c.session->habit)))
            c.session->lastActivity = at;
        return;
    }
    if (at < c.quietUntil)
        return;
    if (!chance(draw(room.seed, minute, index, Purpose::Logon), logonPerMinute(index)))
        return;
    Session s;
    if (index == ServerIndex) {
        s.user = std::string(ServerUser);
        s.habit = Habit::Server;
    } else {
        s.user = freeUser(room, draw(room.seed, minute, index, Purpose::UserChoice));
        s.habit = drawHabit(draw(room.seed, minute, index, Purpose::HabitChoice));
    }
    s.logon = at;
    s.lastActivity = at;
    c.session = std::move(s);
}

} // namespace

const std::vector<std::string> &computerNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v{"PC1207"};
        for (int n = 1; n <= 12; ++n)
            v.push_back(n < 10 ? "PC300" + std::to_string(n) : "PC30" + std::to_string(n));
        v.push_back("SRV-TALVERO");
        return v;
    }();
    return names;
}

bool isRoomStation(std::string_view name)
{
    const auto first = computerNames().begin() + FirstStationIndex;
    const auto last = first + StationCount;
    return std::find(first, last, name) != last;
}

Room freshRoom(std::uint64_t seed, TimePoint now)
{
    Room room;
    room.seed = seed;
    room.time = now;
    for (const std::string &name : computerNames())
        room.computers.push_back(Computer{name, std::nullopt, std::nullopt, TimePoint{}});

    // Minute 0 of the draws is reserved for the fresh room; ticks use real
    // minutes since 1970, which never come back to 0.
    auto openSession = [&](std::size_t index, std::string user, Habit habit) {
        const auto since = [&](Purpose p, std::int64_t low, std::int64_t high) {
            return now - seconds(low + static_cast<std::int64_t>(draw(seed, 0, index, p) %
                                                                  static_cast<std::uint64_t>(high - low)));
        };
        Session s;
        s.user = std::move(user);
        s.habit = habit;
        switch (habit) {
        case Habit::Busy:
            s.lastActivity = since(Purpose::Idle, 0, 240);
            break;
        case Habit::Reading:
            s.lastActivity = since(Purpose::Idle, 60, 1500);
            break;
        case Habit::Gone:
            s.lastActivity = since(Purpose::Idle, 3900, 12000);
            break;
        case Habit::Server:
            s.lastActivity = since(Purpose::Idle, 0, 2400);
            break;
        }
        s.logon = std::min(s.lastActivity, since(Purpose::LogonAge, 600, 14400));
        room.computers[index].session = std::move(s);
    };

    // Three distinct stations carry what every room must
    // show: a long user name, an accented one, a user idle for over an hour.
    const std::size_t longStation = FirstStationIndex + draw(seed, 0, 0, Purpose::PickLong) % StationCount;
    std::size_t accentStation = FirstStationIndex + draw(seed, 0, 0, Purpose::PickAccented) % (StationCount - 1);
    if (accentStation >= longStation)
        ++accentStation;
    std::size_t goneStation = FirstStationIndex + draw(seed, 0, 0, Purpose::PickGone) % (StationCount - 2);
    for (std::size_t taken : {std::min(longStation, accentStation), std::max(longStation, accentStation)})
        if (goneStation >= taken)
            ++goneStation;

    openSession(longStation, std::string(UserPool[LongNameIndex]), Habit::Busy);
    openSession(accentStation, std::string(UserPool[AccentedNameIndex]), Habit::Reading);
    openSession(goneStation, freeUser(room, draw(seed, 0, goneStation, Purpose::UserChoice)), Habit::Gone);
    openSession(ServerIndex, std::string(ServerUser), Habit::Server);

    for (std::size_t i = 0; i < ServerIndex; ++i) {
        if (room.computers[i].session || !chance(draw(seed, 0, i, Purpose::Occupied), 0.6))
            continue;
        openSession(i, freeUser(room, draw(seed, 0, i, Purpose::UserChoice)),
                    drawHabit(draw(seed, 0, i, Purpose::HabitChoice)));
    }
    return room;
}

void advance(Room &room, TimePoint now)
{
    if (now > room.time) {
        const TimePoint from = std::max(room.time, now - MaxCatchUp);
        restartsDue(room, from);
        struct Tick {
            TimePoint at;
            std::size_t computer;
        };
        std::vector<Tick> ticks;
        for (std::int64_t minute = minuteOf(from); minute <= minuteOf(now); ++minute) {
            ticks.clear();
            for (std::size_t i = 0; i < room.computers.size(); ++i) {
                const TimePoint at = tickInstant(room.seed, minute, i);
                if (at > from && at <= now)
                    ticks.push_back({at, i});
            }
            // Ticks play in time order across computers: a user name freed
            // at one computer may be taken at the next tick of another.
            std::sort(ticks.begin(), ticks.end(), [](const Tick &a, const Tick &b) {
                return std::pair(a.at, a.computer) < std::pair(b.at, b.computer);
            });
            for (const Tick &t : ticks) {
                restartsDue(room, t.at);
                tick(room, t.computer, minute, t.at);
            }
        }
        room.time = now;
    }
    restartsDue(room, now);
}

RestartOutcome orderRestart(Room &room, std::string_view computer, std::chrono::seconds delay,
                            TimePoint now)
{
    // Windows computer names ignore letter case.
    auto sameName = [&](const std::string &name) {
        return name.size() == computer.size() &&
               std::equal(name.begin(), name.end(), computer.begin(), [](char a, char b) {
                   auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
                   return upper(a) == upper(b);
               });
    };
    const auto it = std::find_if(room.computers.begin(), room.computers.end(),
                                 [&](const Computer &c) { return sameName(c.name); });
    if (it == room.computers.end())
        return RestartOutcome::UnknownComputer;
    const TimePoint at = now + delay;
    it->restartAt = it->restartAt ? std::min(*it->restartAt, at) : at;
    return RestartOutcome::Ordered;
}

namespace {

constexpr std::string_view StateHeader = "salle30-roomsim-state 1";

constexpr std::array<std::pair<Habit, std::string_view>, 4> HabitNames{{
    {Habit::Busy, "busy"},
    {Habit::Reading, "reading"},
    {Habit::Gone, "gone"},
    {Habit::Server, "server"},
}};

std::string millis(TimePoint t)
{
    return std::to_string(t.time_since_epoch().count());
}

std::vector<std::string_view> splitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos)
            return fields;
        line.remove_prefix(tab + 1);
    }
}

template<typename Int>
bool parseInt(std::string_view text, Int &value)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool parseTime(std::string_view text, TimePoint &t)
{
    std::int64_t ms = 0;
    if (!parseInt(text, ms))
        return false;
    t = TimePoint(milliseconds(ms));
    return true;
}

} // namespace

std::string saveRoom(const Room &room)
{
    std::string out;
    out += StateHeader;
    out += "\nseed\t" + std::to_string(room.seed);
    out += "\ntime\t" + millis(room.time) + '\n';
    for (const Computer &c : room.computers) {
        out += "computer\t" + c.name + '\t' + millis(c.quietUntil) + '\t';
        out += c.restartAt ? millis(*c.restartAt) : "-";
        if (c.session) {
            const auto habit = std::find_if(HabitNames.begin(), HabitNames.end(),
                                            [&](const auto &h) { return h.first == c.session->habit; });
            out += '\t';
            out += habit->second;
            out += '\t' + millis(c.session->logon) + '\t' + millis(c.session->lastActivity) + '\t' +
                   c.session->user;
        } else {
            out += "\t-";
        }
        out += '\n';
    }
    return out;
}

LoadedRoom loadRoom(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    auto fail = [](std::size_t line, const std::string &why) {
        return LoadedRoom{std::nullopt, "line " + std::to_string(line + 1) + ": " + why};
    };

    const auto &names = computerNames();
    if (lines.size() != 3 + names.size())
        return LoadedRoom{std::nullopt, "expected " + std::to_string(3 + names.size()) + " lines, found " +
                                            std::to_string(lines.size())};
    if (lines[0] != StateHeader)
        return fail(0, "not a room state (expected \"" + std::string(StateHeader) + "\")");

    Room room;
    const auto seed = splitTabs(lines[1]);
    if (seed.size() != 2 || seed[0] != "seed" || !parseInt(seed[1], room.seed))
        return fail(1, "expected seed<TAB>number");
    const auto time = splitTabs(lines[2]);
    if (time.size() != 2 || time[0] != "time" || !parseTime(time[1], room.time))
        return fail(2, "expected time<TAB>milliseconds");

    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::size_t n = 3 + i;
        const auto f = splitTabs(lines[n]);
        if (f.size() < 5 || f[0] != "computer")
            return fail(n, "expected computer<TAB>name<TAB>quiet<TAB>restart<TAB>session");
        if (f[1] != names[i])
            return fail(n, "expected computer " + names[i] + ", found " + std::string(f[1]));
        Computer c;
        c.name = names[i];
        if (!parseTime(f[2], c.quietUntil))
            return fail(n, "bad quiet-until time");
        if (f[3] != "-") {
            TimePoint at;
            if (!parseTime(f[3], at))
                return fail(n, "bad restart time");
            c.restartAt = at;
        }
        if (f[4] == "-") {
            if (f.size() != 5)
                return fail(n, "extra fields after an empty session");
        } else {
            const auto habit = std::find_if(HabitNames.begin(), HabitNames.end(),
                                            [&](const auto &h) { return h.second == f[4]; });
            if (habit == HabitNames.end())
                return fail(n, "unknown habit " + std::string(f[4]));
            Session s;
            s.habit = habit->first;
            if (f.size() != 8 || !parseTime(f[5], s.logon) || !parseTime(f[6], s.lastActivity) || f[7].empty())
                return fail(n, "expected habit<TAB>logon<TAB>activity<TAB>user");
            s.user = std::string(f[7]);
            c.session = std::move(s);
        }
        room.computers.push_back(std::move(c));
    }
    return LoadedRoom{std::move(room), {}};
}

} // namespace roomsim
