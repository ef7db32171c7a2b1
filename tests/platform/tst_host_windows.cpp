// The Windows host against the real Windows API (under Wine when
// cross-built): CreateProcessW with exactly the panel's command line, batch
// files through cmd, the ANSI code page, and the sharing that lets the
// session list command replace the file being read. The shutdown tool is a
// recorder (tests/wine/recorder.cpp) found beside this program.

#include "hosttesting.h"

#include <windows.h>

#include <cwchar>
#include <future>

namespace {

using namespace std::chrono_literals;

// Copies the recorder beside this program to d:\talvero\shutcmd.exe. The
// recorder that the case before started may still be ending once its record
// is written, and its program file cannot be replaced while it runs: the
// copy is tried until it ends.
void installRecorder()
{
    std::wstring self(MAX_PATH * 4, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    const std::filesystem::path recorder = std::filesystem::path(self).parent_path() / L"shutcmd-recorder.exe";
    std::error_code error;
    const bool copied = waitUntil([&] {
        return std::filesystem::copy_file(recorder, TrialDrive::path(u"shutcmd.exe"),
                                          std::filesystem::copy_options::overwrite_existing, error);
    });
    REQUIRE_MESSAGE(copied, "no recorder at " << recorder.string() << ": " << error.message());
}

// Launches `line`; a refused launch fails the test, with the host's reason.
void launch(std::u16string_view line)
{
    const std::optional<platform::Failure> failure = platform::launchDetached(line);
    REQUIRE_MESSAGE(!failure, "the launch was refused: " << *failure);
}

// The fields of the recorder's one run since the drive was laid out; empty
// when it wrote nothing within 30 s. Returns once that run has ended too
// (its record is named <name>.<process id>.rec): while it runs, its program
// file can be neither deleted nor replaced, and the next case lays out the
// drive anew and copies the recorder there again.
std::vector<std::u16string> recorded()
{
    if (!waitUntil([] { return !recordFiles().empty(); }, 30s))
        return {};
    const std::filesystem::path record = recordFiles().front();
    const DWORD processId = static_cast<DWORD>(std::wcstoul(record.stem().extension().c_str() + 1, nullptr, 10));
    REQUIRE_MESSAGE(processId != 0, "no process id in " << record.string());
    if (const HANDLE run = OpenProcess(SYNCHRONIZE, FALSE, processId)) {
        WaitForSingleObject(run, 30000);
        CloseHandle(run);
    }
    return recordFields(record);
}

const std::u16string ShutdownLine = u"d:\\talvero\\shutcmd.exe \\\\PC3001 /R /T:120 \"Attention cet ordinateur se "
                                    u"relance dans 2 minutes. Vous devez fermer votre session et sortir de la "
                                    u"salle dans les 5 minutes.\"";

} // namespace

TEST_CASE("CreateProcessW gets exactly the panel's command line, and a minimised window")
{
    const TrialDrive drive;
    installRecorder();
    REQUIRE(ShutdownLine.size() == 169);
    launch(ShutdownLine);
    const std::vector<std::u16string> fields = recorded();
    REQUIRE(fields.size() >= 3);
    CHECK(fields[0] == u"exact");
    CHECK(fields[1] == ShutdownLine);
    const std::string startup =
        "flags=" + std::to_string(STARTF_USESHOWWINDOW) + " show=" + std::to_string(SW_SHOWMINIMIZED);
    CHECK(fields[2] == std::u16string(startup.begin(), startup.end()));
}

// The POSIX host splits command lines itself; these rows hold the split to
// what the C runtime of a launched Windows program really does.
TEST_CASE("splitCommandLine splits as the C runtime of the launched program")
{
    const struct {
        const char *name;
        std::u16string_view arguments;
    } rows[] = {
        {"blanks and tabs separate, runs of them count once", u"a \t  b\t\tc"},
        {"quotes group and vanish, also inside a word", u"\"a b\" c\"d e\"f"},
        {"backslashes not before a quote stay", u"\\\\PC3001 c:\\dir\\ x\\\\y"},
        {"even backslashes before a quote are halved, the quote groups", u"a\\\\\"b c\"  \"d\\\\\\\\\""},
        {"odd backslashes before a quote give a literal quote", u"a\\\"b c\\\\\\\"d"},
        {"an empty quoted argument is kept", u"one \"\" three"},
        {"a doubled quote inside quotes gives one quote", u"\"a\"\"b c\" d"},
        {"accented letters", u"\"élève à l'école\""},
    };
    for (const auto &row : rows) {
        INFO(std::string(row.name));
        const TrialDrive drive;
        installRecorder();
        const std::u16string line = u"d:\\talvero\\shutcmd.exe " + std::u16string(row.arguments);
        launch(line);
        const std::vector<std::u16string> fields = recorded();
        REQUIRE(fields.size() >= 3);
        CHECK(platform::splitCommandLine(line) == std::vector<std::u16string>(fields.begin() + 3, fields.end()));
        // Not the panel's line: the recorder must say so.
        CHECK(fields[0] != u"exact");
    }
}

TEST_CASE("A batch file runs through cmd, and the launch does not wait for it")
{
    const TrialDrive drive;
    REQUIRE(TrialDrive::write(u"session.bat", "@echo off\r\necho session ran>d:\\talvero\\session.ran\r\n"));
    // hold.bat runs until hold.release exists: a launch that waited for its
    // program would not come back before the release.
    REQUIRE(TrialDrive::write(u"hold.bat", "@echo off\r\n:wait\r\nif not exist d:\\talvero\\hold.release goto wait\r\n"
                                           "echo held>d:\\talvero\\hold.done\r\n"));

    launch(u"d:\\talvero\\session.bat");
    CHECK(waitUntil([] { return TrialDrive::read(u"session.ran").value_or("").starts_with("session ran"); }, 60s));

    auto launch = std::async(std::launch::async, [] { return platform::launchDetached(u"d:\\talvero\\hold.bat"); });
    const bool returned = launch.wait_for(20s) == std::future_status::ready;
    REQUIRE(TrialDrive::write(u"hold.release", "go\r\n"));
    CHECK(returned);
    CHECK(!launch.get());
    CHECK(waitUntil([] { return TrialDrive::read(u"hold.done").has_value(); }, 60s));
}

TEST_CASE("A launch that cannot start says why, in one line without a full stop")
{
    const struct {
        const char *name;
        std::u16string_view line;
        bool notFound; // the number must then be ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND
    } rows[] = {
        {"missing program", u"d:\\talvero\\absent.exe", true},
        {"missing folder, with arguments", u"d:\\talvero\\nowhere\\shutcmd.exe \\\\PC3001 /R", true},
        {"missing batch file", u"d:\\talvero\\absent.bat", true},
        // CreateProcessW would stop at the NUL and start shutcmd.exe alone.
        {"NUL inside the command line", std::u16string_view(u"d:\\talvero\\shutcmd.exe\0 /R", 26), false},
        {"empty command line", u"", false},
    };
    const TrialDrive drive;
    installRecorder();
    for (const auto &row : rows) {
        INFO(std::string(row.name));
        const std::optional<platform::Failure> failure = platform::launchDetached(row.line);
        REQUIRE(failure);
        if (row.notFound)
            CHECK((failure->number == ERROR_FILE_NOT_FOUND || failure->number == ERROR_PATH_NOT_FOUND));
        else
            CHECK(failure->number != 0);
        REQUIRE(!failure->description.empty());
        CHECK(std::u16string_view(u"\r\n .").find(failure->description.back()) == std::u16string_view::npos);
    }
    // Nothing ran, not even the part of the line before the NUL: once a good
    // launch has left its record, it is the only one.
    launch(ShutdownLine);
    CHECK(recorded().size() >= 3);
    CHECK(recordFiles().size() == 1);
}

TEST_CASE("decodeSystemText decodes the ANSI code page")
{
    REQUIRE_MESSAGE(GetACP() == 1252, "the ANSI code page is " << GetACP() << ", not Windows-1252 as LANG asks");
    const struct {
        const char *name;
        std::string_view bytes;
        std::u16string_view text;
    } rows[] = {
        {"empty input", "", u""},
        {"ASCII is unchanged", "\\\\PC3007   dupont  00:12:41", u"\\\\PC3007   dupont  00:12:41"},
        {"accented letters and the euro sign", "Fran\xE7ois \x80 \xA0\xFF", u"Fran\u00E7ois \u20AC \u00A0\u00FF"},
        {"letters Windows-1252 puts below 0xA0", "\x8A\x9C\x9F", u"\u0160\u0153\u0178"},
        {"a NUL byte keeps its place", std::string_view("a\0b", 3), std::u16string_view(u"a\0b", 3)},
    };
    for (const auto &row : rows) {
        INFO(std::string(row.name));
        CHECK(platform::decodeSystemText(row.bytes) == std::u16string(row.text));
    }
}

TEST_CASE("ReadOnlyFile refuses what is not a file, with the system's numbers")
{
    const TrialDrive drive;
    const struct {
        const char *name;
        std::u16string_view path;
        int number;
    } rows[] = {
        {"a directory", u"d:\\talvero", 336},
        {"a missing file", u"d:\\talvero\\absent.txt", ERROR_FILE_NOT_FOUND},
        {"a missing folder", u"d:\\talvero\\nowhere\\dcon.txt", ERROR_PATH_NOT_FOUND},
        {"a device", u"\\\\.\\NUL", ERROR_INVALID_FUNCTION},
    };
    for (const auto &row : rows) {
        INFO(std::string(row.name));
        const auto opened = platform::ReadOnlyFile::open(std::filesystem::path(std::u16string(row.path)));
        REQUIRE(std::holds_alternative<platform::Failure>(opened));
        CHECK(std::get<platform::Failure>(opened).number == row.number);
        CHECK(!std::get<platform::Failure>(opened).description.empty());
    }
}

// The session list command writes the file anew, or deletes it, while the
// panel reads: the open handle shares writing and deleting. It keeps the
// size it found at the open; once the file is deleted, it reads on the
// bytes it opened. (Renaming another file over it fails while it is open,
// with ERROR_ACCESS_DENIED, under Wine as on Windows before POSIX rename
// semantics.)
TEST_CASE("ReadOnlyFile lets the file be replaced while it reads it")
{
    const std::string before = "\\\\PC3001               BEFORE               00:00:01\r\n";
    const std::string after = before + before;
    const struct {
        const char *name;
        bool (*replace)(const std::string &bytes);
        bool readsWhatItOpened;
    } rows[] = {
        {"written anew in place", [](const std::string &bytes) { return TrialDrive::write(u"dcon.txt", bytes); },
         false},
        {"deleted", [](const std::string &) { return bool(DeleteFileW(TrialDrive::path(u"dcon.txt").c_str())); },
         true},
    };
    for (const auto &row : rows) {
        INFO(std::string(row.name));
        const TrialDrive drive;
        REQUIRE(TrialDrive::write(u"dcon.txt", before));
        auto opened = platform::ReadOnlyFile::open(TrialDrive::path(u"dcon.txt"));
        REQUIRE(std::holds_alternative<platform::ReadOnlyFile>(opened));
        platform::ReadOnlyFile &file = std::get<platform::ReadOnlyFile>(opened);

        CHECK(row.replace(after));
        if (!row.readsWhatItOpened)
            CHECK(TrialDrive::read(u"dcon.txt") == after);
        CHECK(file.size() == before.size());
        const std::string read = readToEnd(file, 16);
        CHECK(read == (row.readsWhatItOpened ? before : after));
    }
}
