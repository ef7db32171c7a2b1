// Checks the Windows host layer against a real Windows API (Wine). Needs a
// writable drive D:; lays out d:\talvero\ itself: session.bat, hold.bat and the
// recorder shutcmd.exe, copied from beside this program. Ends with
// "N passed, N failed" and a non-zero exit status when anything failed.

#include "platform.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <future>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

int passed = 0;
int failed = 0;

void check(bool ok, const std::string &name, const std::string &detail)
{
    ++(ok ? passed : failed);
    std::printf("%s  %s%s\n", ok ? "PASS" : "FAIL", name.c_str(), ok ? "" : (": " + detail).c_str());
    std::fflush(stdout);
}

// UTF-16 texts as printable ASCII, for failure messages.
std::string show(const std::vector<std::u16string> &texts)
{
    std::string out = "[";
    for (const std::u16string &text : texts) {
        out += " \"";
        for (const char16_t c : text) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, c >= 0x20 && c < 0x7F ? "%c" : "\\u%04X", unsigned(c));
            out += buffer;
        }
        out += "\"";
    }
    return out + " ]";
}

// Polls until `done` holds, at most `timeoutMs`.
template <typename Condition>
bool waitFor(Condition done, ULONGLONG timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done() && GetTickCount64() < deadline)
        Sleep(20);
    return done();
}

std::optional<std::string> readFile(const char *path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Launches `line`, which starts the recorder, and returns the recorded fields:
// command line, startup flags, arguments. Always at least two fields, empty
// when nothing was recorded within 30 s.
std::vector<std::u16string> launchRecorder(std::u16string_view line)
{
    DeleteFileW(L"d:\\talvero\\shutcmd.rec");
    std::optional<std::string> bytes;
    if (!platform::launchDetached(line))
        waitFor([&] { return (bytes = readFile("d:\\talvero\\shutcmd.rec")).has_value(); }, 30000);
    std::u16string text(bytes ? bytes->size() / 2 : 0, u'\0');
    std::memcpy(text.data(), bytes ? bytes->data() : "", text.size() * 2);
    std::vector<std::u16string> fields;
    for (std::size_t start = 0, end; (end = text.find(u'\0', start)) != text.npos; start = end + 1)
        fields.push_back(text.substr(start, end - start));
    fields.resize(fields.size() < 2 ? 2 : fields.size());
    return fields;
}

void testBatchFilesRunWithoutBeingWaitedFor()
{
    DeleteFileW(L"d:\\talvero\\session.ran");
    const auto failure = platform::launchDetached(u"d:\\talvero\\session.bat");
    const auto marked = [] {
        const auto content = readFile("d:\\talvero\\session.ran");
        return content && content->rfind("session ran", 0) == 0;
    };
    check(!failure && waitFor(marked, 60000), "session.bat runs and writes its marker", "no marker within 60 s");

    // hold.bat runs until hold.release exists: a launch that waited for its
    // program would not come back before the release.
    DeleteFileW(L"d:\\talvero\\hold.release");
    DeleteFileW(L"d:\\talvero\\hold.done");
    auto launch = std::async(std::launch::async, [] { return platform::launchDetached(u"d:\\talvero\\hold.bat"); });
    const bool returned = launch.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    std::ofstream("d:\\talvero\\hold.release") << "go\n";
    check(returned && !launch.get(), "the launch of hold.bat returns while it still runs", "no return within 20 s");
    const auto done = [] { return readFile("d:\\talvero\\hold.done").has_value(); };
    check(waitFor(done, 60000), "hold.bat goes on to its end once released", "no hold.done within 60 s");
}

void testShutdownCommandLine()
{
    const std::u16string line = u"d:\\talvero\\shutcmd.exe \\\\PC3001 /R /T:120 \"Attention cet ordinateur se "
                                u"relance dans 2 minutes. Vous devez fermer votre session et sortir de la salle "
                                u"dans les 5 minutes.\"";
    const auto fields = launchRecorder(line);
    check(line.size() == 169 && fields[0] == line, "shutcmd.exe receives exactly the 169 characters",
          "sent " + std::to_string(line.size()) + ", received " + show({fields[0]}));
    const std::string style = "flags=" + std::to_string(STARTF_USESHOWWINDOW) + " show=" +
                              std::to_string(SW_SHOWMINIMIZED);
    check(fields[1] == std::u16string(style.begin(), style.end()), "shutcmd.exe is asked for a minimised window",
          "startup " + show({fields[1]}) + ", expected " + style);
}

// The POSIX side splits command lines itself; these rows hold it to what the
// C runtime of a launched Windows program really does.
void testSplitMatchesTheCRuntime()
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
    };
    for (const auto &row : rows) {
        const std::u16string line = u"d:\\talvero\\shutcmd.exe " + std::u16string(row.arguments);
        const auto fields = launchRecorder(line);
        const std::vector<std::u16string> theirs(fields.begin() + 2, fields.end());
        const auto ours = platform::splitCommandLine(line);
        check(ours == theirs, std::string("splitCommandLine as the C runtime: ") + row.name,
              "C runtime " + show(theirs) + ", ours " + show(ours));
    }
}

void testDecodeSystemText()
{
    check(GetACP() == 1252, "the ANSI code page is Windows-1252, as LANG asks", "it is " + std::to_string(GetACP()));
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
        const std::u16string got = platform::decodeSystemText(row.bytes);
        check(got == row.text, std::string("decodeSystemText: ") + row.name, "got " + show({got}));
    }
}

void testFailures()
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
        {"NUL inside the command line", std::u16string_view(u"d:\\talvero\\shutcmd.exe\0 /R", 27), false},
        {"empty command line", u"", false},
    };
    for (const auto &row : rows) {
        const auto failure = platform::launchDetached(row.line);
        const int number = failure ? failure->number : 0;
        const std::u16string text = failure ? failure->description : u"";
        const bool numbered = row.notFound ? number == ERROR_FILE_NOT_FOUND || number == ERROR_PATH_NOT_FOUND
                                           : number != 0;
        // The description goes inside a sentence: one line, no full stop.
        const bool tidy = !text.empty() && std::u16string_view(u"\r\n .").find(text.back()) == text.npos;
        check(numbered && tidy, std::string("launch fails: ") + row.name,
              failure ? "got " + std::to_string(number) + " " + show({text}) : "the launch reported success");
    }
}

// The session list as the reader opens it: the bytes, size and last write
// of the file, from the handle; a directory and a missing file refused with
// the system's numbers.
void testReadOnlyFile()
{
    const std::string bytes = "\\\\PC3001   dupont   00:00:01\r\n\xE9t\xE9\r\n";
    check(bool(std::ofstream("d:\\talvero\\dcon.txt", std::ios::binary) << bytes), "dcon.txt is written", "");
    const auto writtenAt = std::chrono::system_clock::now();
    auto opened = platform::ReadOnlyFile::open(L"d:\\talvero\\dcon.txt");
    if (auto *file = std::get_if<platform::ReadOnlyFile>(&opened)) {
        std::string got;
        char buffer[7];
        for (;;) {
            const auto read = file->read(buffer);
            if (!std::holds_alternative<std::size_t>(read) || std::get<std::size_t>(read) == 0)
                break;
            got.append(buffer, std::get<std::size_t>(read));
        }
        const auto age = std::chrono::duration_cast<std::chrono::seconds>(writtenAt - file->lastWritten()).count();
        check(got == bytes && file->size() == bytes.size(), "ReadOnlyFile reads the whole file, as sized",
              "read " + std::to_string(got.size()) + " bytes of a size " + std::to_string(file->size()));
        check(age >= -5 && age <= 60, "ReadOnlyFile gives the last write, from 1970",
              std::to_string(age) + " s before it was written");
    } else {
        check(false, "ReadOnlyFile opens dcon.txt",
              "error " + std::to_string(std::get<platform::Failure>(opened).number));
    }
    const struct {
        const char *name;
        const wchar_t *path;
        int number;
    } rows[] = {
        {"a directory", L"d:\\talvero", 336},
        {"a missing file", L"d:\\talvero\\absent.txt", ERROR_FILE_NOT_FOUND},
    };
    for (const auto &row : rows) {
        const auto refused = platform::ReadOnlyFile::open(row.path);
        const auto *failure = std::get_if<platform::Failure>(&refused);
        check(failure && failure->number == row.number && !failure->description.empty(),
              std::string("ReadOnlyFile refuses ") + row.name,
              failure ? "error " + std::to_string(failure->number) + " " + show({failure->description}) : "it opened");
    }
}

bool prepareRoom()
{
    CreateDirectoryW(L"d:\\talvero", nullptr);
    std::wstring self(MAX_PATH * 4, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    const std::wstring recorder = self.substr(0, self.find_last_of(L"\\/") + 1) + L"shutcmd.exe";
    return CopyFileW(recorder.c_str(), L"d:\\talvero\\shutcmd.exe", FALSE) &&
           std::ofstream("d:\\talvero\\session.bat", std::ios::binary)
               << "@echo off\r\necho session ran>d:\\talvero\\session.ran\r\n" &&
           std::ofstream("d:\\talvero\\hold.bat", std::ios::binary)
               << "@echo off\r\n:wait\r\nif not exist d:\\talvero\\hold.release goto wait\r\n"
                  "echo held>d:\\talvero\\hold.done\r\n";
}

} // namespace

int main()
{
    check(prepareRoom(), "d:\\talvero\\ is laid out", "drive D: missing or not writable");
    if (failed == 0) {
        testBatchFilesRunWithoutBeingWaitedFor();
        testShutdownCommandLine();
        testSplitMatchesTheCRuntime();
        testDecodeSystemText();
        testFailures();
        testReadOnlyFile();
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
