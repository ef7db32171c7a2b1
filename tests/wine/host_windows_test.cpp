// Checks the Windows host layer against a real Windows API (Wine).
//
// Needs drive D: to exist and be writable; it lays out d:\talvero\ itself:
// session.bat, hold.bat and shutcmd.exe (the recorder, copied from the folder
// of this program). Ends with "N passed, N failed" and a non-zero exit status
// when anything failed.

#include "platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

int passed = 0;
int failed = 0;

void check(bool ok, const std::string &name, const std::string &detail = {})
{
    if (ok) {
        ++passed;
        std::printf("PASS  %s\n", name.c_str());
    } else {
        ++failed;
        std::printf("FAIL  %s%s%s\n", name.c_str(), detail.empty() ? "" : ": ", detail.c_str());
    }
    std::fflush(stdout);
}

// ASCII rendering of UTF-16 text for messages: anything else is escaped.
std::string show(std::u16string_view text)
{
    std::string out = "\"";
    for (const char16_t c : text) {
        char buffer[12];
        if (c >= 0x20 && c < 0x7F && c != u'\\' && c != u'"') {
            out.push_back(static_cast<char>(c));
            continue;
        }
        if (c == u'\\' || c == u'"')
            std::snprintf(buffer, sizeof buffer, "\\%c", static_cast<char>(c));
        else
            std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c));
        out += buffer;
    }
    return out + "\"";
}

std::string show(const std::vector<std::u16string> &list)
{
    std::string out = "[";
    for (std::size_t i = 0; i < list.size(); ++i)
        out += (i ? ", " : "") + show(list[i]);
    return out + "]";
}

std::wstring wide(std::u16string_view text)
{
    return std::wstring(text.begin(), text.end());
}

std::u16string toU16(const std::wstring &text)
{
    return std::u16string(text.begin(), text.end());
}

std::u16string toU16(const std::string &ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// Polls until `done` holds or `timeoutMs` has passed.
template <typename Condition>
bool waitFor(Condition done, ULONGLONG timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(20);
    }
}

// Whole content of a file, or nothing when it cannot be opened.
std::optional<std::string> readFile(const std::wstring &path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        content.append(buffer, got);
    CloseHandle(file);
    return content;
}

bool writeFile(const std::wstring &path, std::string_view content)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                    written == content.size();
    CloseHandle(file);
    return ok;
}

bool exists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

const std::wstring room = L"d:\\talvero\\";
const std::wstring recordPath = room + L"shutcmd.rec";

struct Record {
    std::u16string commandLine;
    std::u16string startup;
    std::vector<std::u16string> arguments;
};

// Launches `line` (which must start the recorder) and returns what the
// recorder wrote, or nothing after 30 seconds.
std::optional<Record> launchRecorder(std::u16string_view line, std::string &problem)
{
    DeleteFileW(recordPath.c_str());
    if (const auto failure = platform::launchDetached(line)) {
        problem = "launch failed with " + std::to_string(failure->number) + " " + show(failure->description);
        return std::nullopt;
    }
    std::optional<std::string> bytes;
    if (!waitFor([&] { return (bytes = readFile(recordPath)).has_value(); }, 30000)) {
        problem = "the recorder wrote nothing within 30 s";
        return std::nullopt;
    }
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes->size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>((*bytes)[i]) |
                                             (static_cast<unsigned char>((*bytes)[i + 1]) << 8)));
    std::vector<std::u16string> fields;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(u'\0', start)) != std::u16string::npos; start = end + 1)
        fields.emplace_back(text.substr(start, end - start));
    if (fields.size() < 2) {
        problem = "malformed record " + show(text);
        return std::nullopt;
    }
    return Record{fields[0], fields[1], std::vector<std::u16string>(fields.begin() + 2, fields.end())};
}

bool prepareRoom()
{
    if (GetFileAttributesW(L"d:\\") == INVALID_FILE_ATTRIBUTES) {
        std::printf("FAIL  drive D: does not exist (map it to a scratch folder first)\n");
        return false;
    }
    CreateDirectoryW(room.c_str(), nullptr);

    std::wstring self(MAX_PATH * 4, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    const std::wstring recorder = self.substr(0, self.find_last_of(L"\\/") + 1) + L"shutcmd.exe";
    if (!CopyFileW(recorder.c_str(), (room + L"shutcmd.exe").c_str(), FALSE)) {
        std::printf("FAIL  cannot copy the recorder next to d:\\talvero\\ (error %lu)\n", GetLastError());
        return false;
    }
    const bool ok =
        writeFile(room + L"session.bat", "@echo off\r\necho session ran>d:\\talvero\\session.ran\r\n") &&
        writeFile(room + L"hold.bat", "@echo off\r\n"
                                      ":wait\r\n"
                                      "if not exist d:\\talvero\\hold.release goto wait\r\n"
                                      "echo held>d:\\talvero\\hold.done\r\n");
    if (!ok)
        std::printf("FAIL  cannot write the batch files in d:\\talvero\\\n");
    return ok;
}

void testHostPathIsUnchanged()
{
    const struct {
        const char *name;
        std::u16string_view path;
    } rows[] = {
        {"session list file", u"d:\\talvero\\dcon.txt"},
        {"upper-case drive and forward slashes", u"D:/talvero/session.bat"},
        {"another drive", u"c:\\windows\\system32"},
        {"non-ASCII name", u"d:\\talvero\\\u00E9t\u00E9.txt"},
    };
    for (const auto &row : rows) {
        const std::wstring got = platform::hostPath(row.path).native();
        check(got == wide(row.path), std::string("hostPath keeps the path: ") + row.name,
              "got " + show(toU16(got)));
    }
}

void testBatchFileRuns()
{
    const std::wstring marker = room + L"session.ran";
    DeleteFileW(marker.c_str());
    const auto failure = platform::launchDetached(u"d:\\talvero\\session.bat");
    check(!failure, "launching d:\\talvero\\session.bat succeeds",
          failure ? std::to_string(failure->number) + " " + show(failure->description) : "");
    if (failure)
        return;
    std::optional<std::string> content;
    const bool ran = waitFor(
        [&] { return (content = readFile(marker)) && content->rfind("session ran", 0) == 0; }, 60000);
    check(ran, "session.bat runs and writes its marker",
          content ? "marker holds " + show(std::u16string(content->begin(), content->end()))
                  : "no marker within 60 s");
}

void testLaunchDoesNotWait()
{
    const std::wstring release = room + L"hold.release";
    const std::wstring done = room + L"hold.done";
    DeleteFileW(release.c_str());
    DeleteFileW(done.c_str());

    // hold.bat runs until hold.release exists: a launch that waited for its
    // program would not come back before the release.
    auto launch = std::async(std::launch::async, [] { return platform::launchDetached(u"d:\\talvero\\hold.bat"); });
    const bool returned = launch.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    writeFile(release, "go\r\n");
    const auto failure = launch.get();
    check(returned, "the launch returns while the program still runs", "no return within 20 s");
    check(!failure, "launching hold.bat succeeds",
          failure ? std::to_string(failure->number) + " " + show(failure->description) : "");
    if (!failure)
        check(waitFor([&] { return exists(done); }, 60000), "hold.bat goes on to its end once released");
}

void testShutdownCommandLine()
{
    const std::u16string_view warning = u"Attention cet ordinateur se relance dans 2 minutes. Vous devez fermer "
                                        u"votre session et sortir de la salle dans les 5 minutes.";
    const std::u16string line = u"d:\\talvero\\shutcmd.exe \\\\PC3001 /R /T:120 \"" + std::u16string(warning) + u"\"";
    if (line.size() != 169) {
        check(false, "shutdown command line for PC3001 is 169 characters",
              "the test's own line has " + std::to_string(line.size()));
        return;
    }
    std::string problem;
    const auto record = launchRecorder(line, problem);
    check(record.has_value(), "shutcmd.exe is started by the shutdown command line", problem);
    if (!record)
        return;
    check(record->commandLine == line, "shutcmd.exe receives exactly the 169 characters",
          "got " + std::to_string(record->commandLine.size()) + " characters " + show(record->commandLine));

    const std::vector<std::u16string> expected = {u"d:\\talvero\\shutcmd.exe", u"\\\\PC3001", u"/R", u"/T:120",
                                                  std::u16string(warning)};
    check(record->arguments == expected, "shutcmd.exe's C runtime sees the station, two options and one warning",
          "got " + show(record->arguments));

    const std::u16string style = toU16("flags=" + std::to_string(STARTF_USESHOWWINDOW) +
                                       " show=" + std::to_string(SW_SHOWMINIMIZED));
    check(record->startup == style, "shutcmd.exe is asked to show a minimised window that takes the focus",
          "startup info " + show(record->startup) + ", expected " + show(style));
}

// The POSIX side splits command lines itself; these rows hold it to what the
// Windows C runtime of a launched program really does.
void testSplitMatchesTheCRuntime()
{
    const struct {
        const char *name;
        std::u16string_view arguments;
    } rows[] = {
        {"blanks and tabs separate, runs of them count once", u"a \t  b\t\tc"},
        {"quotes group and vanish, also inside a word", u"\"a b\" c\"d e\"f"},
        {"backslashes not before a quote stay as they are", u"\\\\PC3001 c:\\dir\\ x\\\\y"},
        {"even backslashes before a quote are halved, the quote groups", u"a\\\\\"b c\"  \"d\\\\\\\\\""},
        {"odd backslashes before a quote give a literal quote", u"a\\\"b c\\\\\\\"d"},
        {"empty quoted argument is kept", u"one \"\" three"},
        {"a doubled quote inside quotes gives one quote", u"\"a\"\"b c\" d"},
    };
    for (const auto &row : rows) {
        const std::u16string line = u"d:\\talvero\\shutcmd.exe " + std::u16string(row.arguments);
        std::string problem;
        const auto record = launchRecorder(line, problem);
        const std::string name = std::string("splitCommandLine matches the C runtime: ") + row.name;
        if (!record) {
            check(false, name, problem);
            continue;
        }
        const std::vector<std::u16string> ours = platform::splitCommandLine(line);
        check(ours == record->arguments, name, "C runtime " + show(record->arguments) + ", ours " + show(ours));
    }
}

void testDecodeSystemText()
{
    const UINT codePage = GetACP();
    check(codePage == 1252, "the ANSI code page is Windows-1252 (LANG picks it under Wine)",
          "GetACP() is " + std::to_string(codePage));

    const struct {
        const char *name;
        std::string_view bytes;
        std::u16string_view text;
    } rows[] = {
        {"empty input gives empty text", std::string_view(), u""},
        {"ASCII is unchanged", "\\\\PC3007   dupont  00:12:41", u"\\\\PC3007   dupont  00:12:41"},
        {"accented letter and euro sign", "Fran\xE7ois \x80", u"Fran\u00E7ois \u20AC"},
        {"letters that Windows-1252 puts below 0xA0", "\x8A\x9C\x9F", u"\u0160\u0153\u0178"},
        {"a NUL byte is kept in place", std::string_view("a\0b", 3), std::u16string_view(u"a\0b", 3)},
    };
    for (const auto &row : rows) {
        const std::u16string got = platform::decodeSystemText(row.bytes);
        check(got == row.text, std::string("decodeSystemText: ") + row.name,
              "got " + show(got) + ", expected " + show(row.text));
    }

    // Every byte of a single-byte code page gives one character, the five
    // that Windows-1252 leaves undefined included; from 0xA0 on it is Latin-1.
    std::string upper;
    for (int b = 0x80; b <= 0xFF; ++b)
        upper.push_back(static_cast<char>(b));
    const std::u16string got = platform::decodeSystemText(upper);
    bool latin1 = got.size() == upper.size();
    for (std::size_t i = 0x20; latin1 && i < got.size(); ++i)
        latin1 = got[i] == static_cast<char16_t>(0x80 + i);
    check(latin1, "decodeSystemText: each byte from 0x80 to 0xFF gives one character", "got " + show(got));
}

void testFailures()
{
    const struct {
        const char *name;
        std::u16string_view line;
        bool notFound; // the number must be ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND
    } rows[] = {
        {"missing program", u"d:\\talvero\\absent.exe", true},
        {"missing program with arguments", u"d:\\talvero\\absent.exe \\\\PC3001 /R", true},
        {"missing folder", u"d:\\talvero\\nowhere\\shutcmd.exe /R", true},
        {"missing batch file", u"d:\\talvero\\absent.bat", true},
        {"NUL inside the command line", std::u16string_view(u"d:\\talvero\\shutcmd.exe\0 /R", 27), false},
        {"empty command line", u"", false},
    };
    for (const auto &row : rows) {
        const std::string name = std::string("launch fails: ") + row.name;
        const auto failure = platform::launchDetached(row.line);
        if (!failure) {
            check(false, name, "the launch reported success");
            continue;
        }
        const std::string what = std::to_string(failure->number) + " " + show(failure->description);
        if (row.notFound)
            check(failure->number == ERROR_FILE_NOT_FOUND || failure->number == ERROR_PATH_NOT_FOUND,
                  name + ", number 2 or 3", "got " + what);
        else
            check(failure->number != 0, name + ", with a number", "got " + what);
        const std::u16string &text = failure->description;
        const bool tidy = !text.empty() && text.back() != u'\r' && text.back() != u'\n' && text.back() != u' ' &&
                          text.back() != u'.';
        check(tidy, name + ", described on one line without its full stop", "got " + what);
    }
}

} // namespace

int main()
{
    if (!prepareRoom()) {
        std::printf("0 passed, 1 failed\n");
        return 1;
    }
    testHostPathIsUnchanged();
    testBatchFileRuns();
    testLaunchDoesNotWait();
    testShutdownCommandLine();
    testSplitMatchesTheCRuntime();
    testDecodeSystemText();
    testFailures();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
