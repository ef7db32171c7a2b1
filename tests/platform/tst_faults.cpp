// Faults around the panel, end to end on the real host: the session list
// file vanishes, turns into something else, grows absurd or is rewritten
// while it is read; the outside programs are missing, refuse to start, end
// at once or never end. After each, what the operator sees is checked (the
// tiles, Listpc, the status texts with the host's own error text in the
// operator's language), and that the panel goes on.

#include "hosttesting.h"
#include "memoryhost.h"
#include "operatorlocale.h"
#include "roommonitor.h"
#include "roompaths.h"
#include "roomshutdown.h"
#include "sessionline.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern "C" [[gnu::weak]] void __asan_init();

namespace {

using namespace std::chrono_literals;

// A title line, one line per record (computer, user, idle time), an end line.
std::string listing(std::initializer_list<std::array<std::string_view, 3>> records)
{
    std::string bytes = "Sessions de la salle 30\r\n";
    for (const auto &[computer, user, idleTime] : records)
        bytes += sessionLine(computer, user, idleTime) + "\r\n";
    return bytes + "Fin de la liste.\r\n";
}

// Two listings with nothing in common.
const std::string RoomA = listing({{"PC3001", "USER01", "00:00:05"}, {"PC3003", "USER03", "02:47:10"},
                                   {"PC1207", "USER33", "00:00:09"}, {"PC3005", "USER05", "00:00:01"}});
const std::string RoomB = listing({{"PC3012", "ELEVE12", "00:01:00"}, {"PC3011", "ELEVE11", "01:00:00"},
                                   {"PC3010", "", "00:00:00"}, {"PC3009", "ELEVE09", "00:59:59"}});

// What the operator sees of the room: the tiles, without the captions that
// a tile without a session keeps hidden, and the hidden list.
struct RoomView {
    std::vector<room::StationTile> tiles;
    std::vector<std::u16string> computers;
    friend bool operator==(const RoomView &, const RoomView &) = default;
};

class Listener final : public room::RoomListener {
public:
    void busyChanged(bool) override {}
    void roomChanged() override {}
};

RoomView seen(const room::RoomMonitor &monitor)
{
    RoomView view{{}, monitor.Listpc().toStrings()};
    for (int n = 1; n <= room::StationCount; ++n) {
        const room::StationTile &tile = monitor.tiles().tile(n);
        view.tiles.push_back(tile.state == room::TileState::NoSession ? room::StationTile{} : tile);
    }
    return view;
}

// The room that a read of exactly these bytes shows, as the model shows it
// on a host held in memory.
RoomView roomOf(std::string bytes)
{
    platform::MemoryHost host;
    host.writeFile(room::SessionListFile, std::move(bytes));
    Listener listener;
    room::RoomMonitor monitor(host, listener);
    monitor.Form_Load();
    return seen(monitor);
}

bool contains(std::u16string_view text, std::u16string_view part)
{
    return text.find(part) != std::u16string_view::npos;
}

// The panel's models on the real host and a drive of their own.
struct Panel {
    TrialDrive drive;
    Listener listener;
    room::RoomMonitor monitor{platform::systemHost(), listener};
    room::RoomShutdown shutdown{platform::systemHost(), listener, [](int n) { return room::stationName(n); },
                                [] { return room::shutdownArguments(); }};
    const std::filesystem::path list = TrialDrive::path(u"dcon.txt");
};

// Each run of a stand-in notes its process id in <name>.runs.
std::size_t runsOf(std::u16string_view name)
{
    const std::string runs = TrialDrive::read(std::u16string(name) + u".runs").value_or("");
    return std::size_t(std::count(runs.begin(), runs.end(), '\n'));
}

// A field of /proc/self/status in KiB: VmRSS (resident now) or VmHWM (the
// peak since the start or since resetPeakMemory()).
long memoryKiB(std::string_view field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field) && line.size() > field.size() && line[field.size()] == ':')
            return std::stol(line.substr(field.size() + 1));
    return -1;
}

void resetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// AddressSanitizer's quarantine and padding hide the program's own use of
// memory.
bool memoryIsMeasurable()
{
    return !__asan_init;
}

int openDescriptors()
{
    return int(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator()));
}

// Runs a program with these arguments and returns its process id.
pid_t start(std::vector<std::string> arguments)
{
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    REQUIRE(::posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) == 0);
    return child;
}

// A program started by the test, waited for at the latest when the object
// goes, killed if it has not ended by then: a failed check leaves no child.
class Child {
public:
    explicit Child(std::vector<std::string> arguments) : m_pid(start(std::move(arguments))) {}
    ~Child()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;

    // The exit status once it ends within the timeout, or -1.
    int exitStatus(std::chrono::milliseconds timeout = 30s)
    {
        int status = 0;
        if (!waitUntil([&] { return ::waitpid(m_pid, &status, WNOHANG) == m_pid; }, timeout))
            return -1;
        m_pid = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t m_pid;
};

} // namespace

namespace doctest {
template <>
struct StringMaker<RoomView> {
    static String convert(const RoomView &view)
    {
        std::string out;
        for (const room::StationTile &tile : view.tiles) {
            std::ostringstream text;
            text << tile;
            out += text.str() + " | ";
        }
        out += "Listpc:";
        for (const std::u16string &computer : view.computers)
            out += ' ' + platform::toUtf8(computer);
        return out.c_str();
    }
};
} // namespace doctest

TEST_CASE("A session list at fault keeps the room read before, says why, and the panel goes on")
{
    const struct {
        const char *name;
        void (*make)(const std::filesystem::path &);
        int error; // 0: the read works
        std::u16string_view (*description)(const OperatorLocale &);
    } rows[] = {
        {"deleted", [](const std::filesystem::path &) {}, ENOENT,
         [](const OperatorLocale &l) { return l.noSuchFile; }},
        {"replaced by a directory", [](const std::filesystem::path &p) { std::filesystem::create_directory(p); },
         EISDIR, [](const OperatorLocale &l) { return l.isADirectory; }},
        // Opening a FIFO waits for a writer, reading a device never ends.
        {"replaced by a FIFO", [](const std::filesystem::path &p) { REQUIRE(::mkfifo(p.c_str(), 0600) == 0); },
         EINVAL, [](const OperatorLocale &) { return std::u16string_view(u"Not a regular file"); }},
        {"replaced by a link to /dev/zero",
         [](const std::filesystem::path &p) { std::filesystem::create_symlink("/dev/zero", p); }, EINVAL,
         [](const OperatorLocale &) { return std::u16string_view(u"Not a regular file"); }},
        {"replaced by a link to nowhere",
         [](const std::filesystem::path &p) { std::filesystem::create_symlink("absent", p); }, ENOENT,
         [](const OperatorLocale &l) { return l.noSuchFile; }},
        {"emptied", [](const std::filesystem::path &p) { std::ofstream(p, std::ios::trunc); }, 0, nullptr},
    };
    const RoomView roomA = roomOf(RoomA);
    const RoomView roomB = roomOf(RoomB);
    for (const OperatorLocale &locale : OperatorLocales) {
        for (const auto &row : rows) {
            INFO(std::string(locale.name) << ", " << std::string(row.name));
            Panel panel;
            REQUIRE(TrialDrive::write(u"dcon.txt", RoomA));
            installStandIn(u"session.bat", "ends-at-once");
            const UsingLocale using_(locale);
            panel.monitor.Form_Load();
            REQUIRE(seen(panel.monitor) == roomA);

            std::filesystem::remove(panel.list);
            row.make(panel.list);
            ::alarm(20); // a read that hangs ends the test program
            panel.monitor.Timer1_Timer();
            ::alarm(0);
            const std::u16string status = panel.monitor.statusText();
            if (row.error) {
                CHECK(seen(panel.monitor) == roomA);
                CHECK(contains(status, errorText(row.error, row.description(locale))));
            } else {
                CHECK(seen(panel.monitor) == roomOf(""));
                CHECK(!contains(status, u"erreur"));
            }

            // Once the file is back, the next refresh shows it.
            std::filesystem::remove_all(panel.list);
            REQUIRE(TrialDrive::write(u"dcon.txt", RoomB));
            panel.monitor.Timer1_Timer();
            CHECK(seen(panel.monitor) == roomB);
            CHECK(!contains(panel.monitor.statusText(), u"erreur"));
            // None left to write into the drive once it is removed.
            CHECK(waitUntil([] { return runsOf(u"session.bat") == 3; }));
        }
    }
}

// Permissions do not stop root from reading: as root, this test runs again
// as the user nobody (65534), in a process of its own.
TEST_CASE("An unreadable session list is named with the host's text")
{
    if (::geteuid() == 0) {
        std::string self(4096, '\0');
        self.resize(std::size_t(std::max<ssize_t>(0, ::readlink("/proc/self/exe", self.data(), self.size()))));
        const std::string command = "setpriv --reuid=65534 --regid=65534 --clear-groups '" + self +
                                    "' '--test-case=An unreadable session list*' 2>&1";
        std::FILE *child = ::popen(command.c_str(), "r");
        REQUIRE(child);
        std::string output;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, child))
            output += buffer;
        const int status = ::pclose(child);
        INFO(output);
        CHECK(WIFEXITED(status));
        CHECK(WEXITSTATUS(status) == 0);
        CHECK(output.find("1 passed") != std::string::npos);
        CHECK(output.find("Status: SUCCESS!") != std::string::npos);
        return;
    }
    const RoomView roomA = roomOf(RoomA);
    for (const OperatorLocale &locale : OperatorLocales) {
        INFO(std::string(locale.name));
        Panel panel;
        REQUIRE(TrialDrive::write(u"dcon.txt", RoomA));
        installStandIn(u"session.bat", "ends-at-once");
        const UsingLocale using_(locale);
        panel.monitor.Form_Load();
        std::filesystem::permissions(panel.list, std::filesystem::perms::owner_write);
        panel.monitor.Timer1_Timer();
        CHECK(seen(panel.monitor) == roomA);
        CHECK(contains(panel.monitor.statusText(), errorText(EACCES, locale.permissionDenied)));
        CHECK(waitUntil([] { return runsOf(u"session.bat") == 2; }));
    }
}

// One record line of 100 MiB: blanks between the user name and the idle
// time. The read holds a few kilobytes of it, and shows what the line says.
TEST_CASE("A record line of 100 MiB is read in little memory")
{
    Panel panel;
    installStandIn(u"session.bat", "ends-at-once");
    const std::string next = "\r\n" + sessionLine("PC3009", "USER05", "02:47:10") + "\r\n";
    {
        std::ofstream file(panel.list, std::ios::binary);
        file << "\\\\PC3004               USER17";
        const std::string blanks(1024 * 1024, ' ');
        for (int i = 0; i < 100; ++i)
            file << blanks;
        file << "00:12:41" << next;
        REQUIRE(file);
    }
    resetPeakMemory();
    const long before = memoryKiB("VmRSS");
    panel.monitor.Form_Load();
    const long growth = memoryKiB("VmHWM") - before;

    CHECK(seen(panel.monitor) == roomOf(sessionLine("PC3004", "USER17", "00:12:41") + next));
    CHECK(!contains(panel.monitor.statusText(), u"erreur"));
    CHECK(waitUntil([] { return runsOf(u"session.bat") == 1; }));
    if (memoryIsMeasurable())
        CHECK_MESSAGE(growth < 8 * 1024, "grew by " << growth << " KiB");
}

// A writer rewrites the file without pause, alternating two rooms, while the
// panel refreshes hundreds of times. Renaming a whole file into place shows
// exactly one room or the other; truncating and writing may show any prefix
// of either, a cut last line included. No read fails.
TEST_CASE("A session list rewritten during hundreds of refreshes")
{
    for (const char *mode : {"rename", "truncate"}) {
        INFO(std::string(mode));
        Panel panel;
        installStandIn(u"session.bat", "ends-at-once");
        std::vector<RoomView> possible;
        std::vector<std::string> arguments = {SALLE30_TEST_SCRIPTS "/rewrite-loop", mode, panel.list.string(),
                                              TrialDrive::path(u"stop").string()};
        for (const std::string *room : {&RoomA, &RoomB}) {
            const std::u16string name = room == &RoomA ? u"roomA.txt" : u"roomB.txt";
            REQUIRE(TrialDrive::write(name, *room));
            arguments.push_back(TrialDrive::path(name).string());
            possible.push_back(roomOf(*room));
            for (std::size_t size = 0; std::string_view(mode) == "truncate" && size < room->size(); ++size)
                possible.push_back(roomOf(room->substr(0, size)));
        }
        REQUIRE(TrialDrive::write(u"dcon.txt", RoomA));
        Child writer(arguments);

        panel.monitor.Form_Load();
        int refreshes = 0;
        int changes = 0;
        RoomView previous = seen(panel.monitor);
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while ((refreshes < 500 || changes < 50) && std::chrono::steady_clock::now() < deadline) {
            panel.monitor.refresh_Click();
            ++refreshes;
            RoomView shown = seen(panel.monitor);
            INFO("refresh " << refreshes);
            REQUIRE(std::find(possible.begin(), possible.end(), shown) != possible.end());
            REQUIRE(!contains(panel.monitor.statusText(), u"erreur"));
            changes += shown != previous;
            previous = std::move(shown);
        }
        REQUIRE(TrialDrive::write(u"stop", ""));
        CHECK(writer.exitStatus() == 0);
        CHECK_MESSAGE(changes >= 50, "the room changed only " << changes << " times in " << refreshes);
        CHECK(waitUntil([&] { return runsOf(u"session.bat") == std::size_t(refreshes) + 1; }));
    }
}

// Whatever the program on trial does, the launches return at once (a hang
// ends the test program), every refresh still reads the file, and a room
// shutdown goes through all twelve stations on its timers. A launch that
// fails is named with the host's text, in the operator's language.
TEST_CASE("Outside programs missing, not executable, ending at once or never")
{
    const struct {
        const char *name;
        std::u16string_view program;
        const char *script; // nullptr: no program at all
        bool executable;
        int error; // 0: it starts
    } rows[] = {
        {"session.bat missing", u"session.bat", nullptr, false, ENOENT},
        {"session.bat not executable", u"session.bat", "ends-at-once", false, EACCES},
        {"session.bat ends at once", u"session.bat", "ends-at-once", true, 0},
        {"session.bat never ends", u"session.bat", "never-ends", true, 0},
        {"shutcmd.exe missing", u"shutcmd.exe", nullptr, false, ENOENT},
        {"shutcmd.exe not executable", u"shutcmd.exe", "ends-at-once", false, EACCES},
        {"shutcmd.exe ends at once", u"shutcmd.exe", "ends-at-once", true, 0},
        {"shutcmd.exe never ends", u"shutcmd.exe", "never-ends", true, 0},
    };
    const RoomView roomA = roomOf(RoomA);
    for (const OperatorLocale &locale : OperatorLocales) {
        for (const auto &row : rows) {
            INFO(std::string(locale.name) << ", " << std::string(row.name));
            const bool command = row.program == u"session.bat";
            const std::u16string other = command ? u"shutcmd.exe" : u"session.bat";
            Panel panel;
            REQUIRE(TrialDrive::write(u"dcon.txt", RoomA));
            if (row.script)
                installStandIn(row.program, row.script, row.executable);
            installStandIn(other, "ends-at-once");
            const UsingLocale using_(locale);

            ::alarm(20);
            panel.monitor.Form_Load();
            panel.monitor.Timer1_Timer();
            panel.shutdown.Stopall_Click();
            for (int k = 2; k <= room::StationCount; ++k) {
                INFO("Timer" << k);
                CHECK(panel.shutdown.chainTimer(k).Enabled);
                panel.shutdown.chainTick(k);
                CHECK(!panel.shutdown.chainTimer(k).Enabled);
            }
            ::alarm(0);
            CHECK(!panel.shutdown.chainRunning());

            const std::u16string_view description =
                row.error == ENOENT ? locale.noSuchFile : row.error == EACCES ? locale.permissionDenied : u"";
            const std::u16string monitorStatus = panel.monitor.statusText();
            const std::u16string shutdownStatus = panel.shutdown.statusText();
            CHECK(seen(panel.monitor) == roomA);
            if (row.error && command)
                CHECK(contains(monitorStatus, errorText(row.error, description)));
            else
                CHECK(!contains(monitorStatus, u"erreur"));
            if (row.error && !command)
                CHECK(contains(shutdownStatus, errorText(row.error, description)));
            else
                CHECK(!contains(shutdownStatus, u"erreur"));

            const std::size_t launches = command ? 2 : 12;
            CHECK(waitUntil([&] { return runsOf(row.program) == (row.error ? 0 : launches); }));
            // None left to write into the drive once it is removed.
            CHECK(waitUntil([&] { return runsOf(other) == (command ? 12 : 2); }));
        }
    }
}

// A thousand refreshes and a thousand shutdown launches through the host:
// no zombie, no descriptor left open, resident memory flat after warm-up.
TEST_CASE("A thousand refreshes and launches leave nothing behind")
{
    Panel panel;
    REQUIRE(TrialDrive::write(u"dcon.txt", RoomA));
    installStandIn(u"session.bat", "ends-at-once");
    installStandIn(u"shutcmd.exe", "ends-at-once");
    int descriptors = 0;
    long resident = 0;
    std::size_t launches = 0;
    for (const int rounds : {50, 1000}) {
        descriptors = openDescriptors();
        resident = memoryKiB("VmRSS");
        for (int i = 0; i < rounds; ++i) {
            panel.monitor.Timer1_Timer();
            panel.shutdown.stationClick(1 + i % room::StationCount);
        }
        launches += std::size_t(rounds);
        REQUIRE(waitUntil([&] { return runsOf(u"session.bat") == launches; }, 60s));
        REQUIRE(waitUntil([&] { return runsOf(u"shutcmd.exe") == launches; }, 60s));
    }
    const long growth = memoryKiB("VmRSS") - resident;

    CHECK(seen(panel.monitor) == roomOf(RoomA));
    CHECK(!contains(panel.monitor.statusText(), u"erreur"));
    CHECK(!contains(panel.shutdown.statusText(), u"erreur"));
    CHECK(openDescriptors() == descriptors);
    // A child that ended and was never reaped is one to wait for; the host
    // reaps each one as it ends, from a thread of its own.
    const auto endedChild = [] {
        siginfo_t zombie{};
        return ::waitid(P_ALL, 0, &zombie, WEXITED | WNOHANG | WNOWAIT) == 0 ? zombie.si_pid : 0;
    };
    CHECK(waitUntil([&] { return endedChild() == 0; }, 10s));
    if (memoryIsMeasurable())
        CHECK_MESSAGE(growth < 1024, "resident memory grew by " << growth << " KiB");
}
