// The POSIX host on real files and real programs: drive D: as a folder, a
// file renamed over while it is read, the arguments a program gets, the
// locale's code set and time zone. Files and programs at fault, with the
// host's texts in the operator's language, are in tst_faults.

#include "hosttesting.h"
#include "operatorlocale.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// The NUL-ended arguments that record-args wrote for d:\talvero\<name>.
// Arguments go to a program in UTF-8, whatever the locale.
std::vector<std::string> recordedArguments(std::u16string_view name)
{
    std::optional<std::string> bytes;
    if (!waitUntil([&] { return (bytes = TrialDrive::read(std::u16string(name) + u".args")).has_value(); }))
        return {"<never written>"};
    std::vector<std::string> arguments;
    for (std::size_t start = 0, end; (end = bytes->find('\0', start)) != std::string::npos; start = end + 1)
        arguments.push_back(bytes->substr(start, end - start));
    return arguments;
}

std::vector<std::string> inUtf8(const std::vector<std::u16string> &texts)
{
    std::vector<std::string> out;
    for (const std::u16string &text : texts)
        out.push_back(platform::toUtf8(text));
    return out;
}

const std::u16string ShutdownLine = u"d:\\talvero\\shutcmd.exe \\\\PC3001 /R /T:120 \"Attention cet ordinateur se "
                                    u"relance dans 2 minutes. Vous devez fermer votre session et sortir de la "
                                    u"salle dans les 5 minutes.\"";

// Puts an environment variable back as it was when the object goes.
class SavedVariable {
public:
    explicit SavedVariable(const char *name) : m_name(name)
    {
        if (const char *value = std::getenv(name))
            m_value = value;
    }
    ~SavedVariable()
    {
        if (m_value)
            ::setenv(m_name, m_value->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    SavedVariable(const SavedVariable &) = delete;
    SavedVariable &operator=(const SavedVariable &) = delete;

private:
    const char *m_name;
    std::optional<std::string> m_value;
};

} // namespace

TEST_CASE("hostPath puts drive D: where SALLE30_DRIVE_D says")
{
    const struct {
        const char *name;
        const char *drive; // nullptr: the variable unset
        std::u16string_view windowsPath;
        const char *hostPath;
    } rows[] = {
        {"default drive", nullptr, u"d:\\talvero\\dcon.txt", "/mnt/d/talvero/dcon.txt"},
        {"empty variable as unset", "", u"d:\\talvero\\dcon.txt", "/mnt/d/talvero/dcon.txt"},
        {"drive from the environment", "/srv/d", u"d:\\talvero\\dcon.txt", "/srv/d/talvero/dcon.txt"},
        {"capital letter, forward slashes", "/srv/d", u"D:/talvero/x", "/srv/d/talvero/x"},
        {"trailing slash on the drive", "/srv/d/", u"D:\\talvero\\x", "/srv/d/talvero/x"},
        {"drive root without slash", "/srv/d", u"d:talvero", "/srv/d/talvero"},
        {"accented name", "/srv/d", u"d:\\élèves\\liste.txt", "/srv/d/élèves/liste.txt"},
        {"other drive left alone", "/srv/d", u"c:\\x", "c:/x"},
    };
    const SavedVariable saved("SALLE30_DRIVE_D");
    for (const auto &row : rows) {
        INFO(std::string(row.name));
        if (row.drive)
            ::setenv("SALLE30_DRIVE_D", row.drive, 1);
        else
            ::unsetenv("SALLE30_DRIVE_D");
        CHECK(platform::hostPath(row.windowsPath).string() == row.hostPath);
    }
}

// The folder of drive D: is named in whatever code set its creator used.
// The operator reads its name as the locale decodes it, and the panel reads
// and starts what is in it all the same.
TEST_CASE("A drive D: named in another code set than UTF-8 is shown as the locale decodes it, and serves")
{
    const struct {
        const char *name;
        const OperatorLocale &locale;
        const char *folder; // the drive's folder, as bytes
        std::u16string_view shown;
    } rows[] = {
        {"Latin-9 name under C.UTF-8", OperatorLocales[0], "salle\xE9", u"salle\uFFFD"},
        {"Latin-9 name under French UTF-8", OperatorLocales[1], "salle\xE9", u"salle\uFFFD"},
        {"Latin-9 name under French Latin-9", OperatorLocales[2], "salle\xE9", u"salleé"},
        {"UTF-8 name under French UTF-8", OperatorLocales[1], "salle\xC3\xA9", u"salleé"},
        {"UTF-8 name under French Latin-9", OperatorLocales[2], "salle\xC3\xA9", u"salleÃ©"},
    };
    for (const auto &row : rows) {
        INFO(std::string(row.name));
        const TrialDrive drive;
        const std::string parent = std::getenv("SALLE30_DRIVE_D");
        const std::string folder = parent + '/' + row.folder;
        std::filesystem::create_directories(folder + "/talvero");
        ::setenv("SALLE30_DRIVE_D", (folder + '/').c_str(), 1);
        const UsingLocale using_(row.locale);
        platform::Host &host = platform::systemHost();

        const std::u16string shown = std::u16string(parent.begin(), parent.end()) + u'/' + std::u16string(row.shown);
        CHECK(platform::hostPath(u"d:\\talvero\\dcon.txt").native() == folder + "/talvero/dcon.txt");
        CHECK(platform::hostPathText(u"d:\\talvero\\dcon.txt") == shown + u"/talvero/dcon.txt");
        CHECK(host.displayPath(u"d:\\talvero\\") == shown + u"/talvero/");

        const std::string list = "\\\\PC3001               USER01               00:00:01\r\n";
        REQUIRE(TrialDrive::write(u"dcon.txt", list));
        auto opened = host.openForReading(u"d:\\talvero\\dcon.txt");
        REQUIRE(std::holds_alternative<std::unique_ptr<platform::InputFile>>(opened));
        CHECK(readToEnd(*std::get<std::unique_ptr<platform::InputFile>>(opened), 64) == list);
        installStandIn(u"shutcmd.exe", "record-args");
        CHECK(host.launch(u"d:\\talvero\\shutcmd.exe \\\\PC3001 /R") == std::nullopt);
        CHECK(recordedArguments(u"shutcmd.exe") == std::vector<std::string>{"\\\\PC3001", "/R"});
    }
}

// The session list command renames a new list over the one the panel may be
// reading: the open file still gives the old list's bytes, size and time.
TEST_CASE("ReadOnlyFile reads the file it opened, though another is renamed over it")
{
    const TrialDrive drive;
    const std::string before = "\\\\PC3001               BEFORE               00:00:01\r\n";
    REQUIRE(TrialDrive::write(u"dcon.txt", before));
    const auto writtenAt = std::chrono::sys_days(std::chrono::year(2026) / 12 / 1) + 7h + 250ms;
    const ::timespec times[2] = {{0, UTIME_OMIT}, {std::chrono::system_clock::to_time_t(writtenAt), 250'000'000}};
    REQUIRE(::utimensat(AT_FDCWD, TrialDrive::path(u"dcon.txt").c_str(), times, 0) == 0);
    auto opened = platform::ReadOnlyFile::open(TrialDrive::path(u"dcon.txt"));
    REQUIRE(std::holds_alternative<platform::ReadOnlyFile>(opened));
    platform::ReadOnlyFile &file = std::get<platform::ReadOnlyFile>(opened);

    REQUIRE(TrialDrive::write(u"dcon.new", before + before + before));
    std::filesystem::rename(TrialDrive::path(u"dcon.new"), TrialDrive::path(u"dcon.txt"));

    CHECK(file.size() == before.size());
    CHECK(file.lastWritten() == writtenAt);
    const std::string read = readToEnd(file, 16);
    CHECK(read == before);
}

// A program gets its arguments split as Windows would split them, in UTF-8
// whatever the locale. Missing and refused programs are in tst_faults.
TEST_CASE("launchDetached hands the program its arguments, or refuses a line it would cut")
{
    const struct {
        const char *name;
        std::u16string_view line;
        int failure; // errno, or 0: started
        std::vector<std::u16string> arguments; // as the program got them; empty: it never ran
    } rows[] = {
        {"the shutdown command", ShutdownLine, 0,
         {u"\\\\PC3001", u"/R", u"/T:120",
          u"Attention cet ordinateur se relance dans 2 minutes. Vous devez fermer votre session et sortir de la "
          u"salle dans les 5 minutes."}},
        {"accented argument", u"d:\\talvero\\shutcmd.exe \"élève à l'école\"", 0, {u"élève à l'école"}},
        // The host would cut the line at the NUL and start what comes before.
        {"NUL inside the line", std::u16string_view(u"d:\\talvero\\shutcmd.exe\0 /R", 26), EINVAL, {}},
    };
    for (const auto &row : rows) {
        INFO(std::string(row.name));
        const TrialDrive drive;
        installStandIn(u"shutcmd.exe", "record-args");
        CHECK(platform::launchDetached(row.line).value_or(platform::Failure{}).number == row.failure);
        if (!row.arguments.empty())
            CHECK(recordedArguments(u"shutcmd.exe") == inUtf8(row.arguments));
        else
            CHECK(!std::filesystem::exists(TrialDrive::path(u"shutcmd.exe.args")));
    }
}

TEST_CASE("decodeSystemText decodes the locale's code set")
{
    const struct {
        const char *name;
        const OperatorLocale &locale;
        std::string_view bytes;
        std::u16string_view text;
    } rows[] = {
        {"UTF-8: ASCII and NUL", OperatorLocales[1], std::string_view("a\0b", 3), std::u16string_view(u"a\0b", 3)},
        {"UTF-8: two, three and four bytes", OperatorLocales[1], "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
         u"é€\U0001F600"},
        {"UTF-8: lone continuation byte", OperatorLocales[1], "a\x80"
                                                              "b",
         u"a\uFFFDb"},
        {"UTF-8: cut-off sequence at the end", OperatorLocales[1], "\xE2\x82", u"\uFFFD\uFFFD"},
        {"UTF-8: overlong form", OperatorLocales[1], "\xC0\x80\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"UTF-8: encoded surrogate", OperatorLocales[1], "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"UTF-8: beyond U+10FFFF", OperatorLocales[1], "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"UTF-8: a Latin-9 byte", OperatorLocales[1], "Fran\xE7ois", u"Fran\uFFFDois"},
        {"Latin-9: accented letters", OperatorLocales[2], "Fran\xE7ois \xE9l\xE8ve", u"François élève"},
        {"Latin-9: the letters it has that Latin-1 has not", OperatorLocales[2], "\xA4 \xBD \xA6",
         u"€ œ Š"},
        {"Latin-9: UTF-8 bytes are two letters each", OperatorLocales[2], "\xC3\xA9", u"Ã©"},
    };
    for (const auto &row : rows) {
        INFO(std::string(row.name));
        const UsingLocale using_(row.locale);
        CHECK(platform::decodeSystemText(row.bytes) == std::u16string(row.text));
    }
}

TEST_CASE("localTimeOfDay follows the host's time zone")
{
    using std::chrono::sys_days;
    const struct {
        const char *name;
        const char *zone;
        std::chrono::system_clock::time_point time;
        platform::TimeOfDay local;
    } rows[] = {
        {"universal time", "UTC", sys_days(std::chrono::year(2026) / 12 / 7) + 7h + 30min + 5s, {7, 30, 5}},
        {"Paris in winter", "Europe/Paris", sys_days(std::chrono::year(2026) / 12 / 7) + 7h + 30min, {8, 30, 0}},
        {"Paris in summer", "Europe/Paris", sys_days(std::chrono::year(2026) / 7 / 1) + 6h + 30min, {8, 30, 0}},
        {"past midnight in Paris", "Europe/Paris", sys_days(std::chrono::year(2026) / 12 / 7) + 23h + 1min,
         {0, 1, 0}},
    };
    {
        const SavedVariable saved("TZ");
        for (const auto &row : rows) {
            INFO(std::string(row.name));
            ::setenv("TZ", row.zone, 1);
            ::tzset();
            const platform::TimeOfDay local = platform::localTimeOfDay(row.time);
            CHECK(local.hour == row.local.hour);
            CHECK(local.minute == row.local.minute);
            CHECK(local.second == row.local.second);
        }
    }
    ::tzset();
}
