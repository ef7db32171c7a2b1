// The tools' files on a real Windows file system (under Wine in the Windows
// build): dcon.txt replaced while the panel's reader holds it, a reader
// reading in a loop while the list is replaced 200 times, and the shutdown
// log appended by two writers at once. Drive D: is an empty folder.

#include "platform.h"
#include "sessionlistreader.h"
#include "sesslisthost.h"
#include "shutcmdhost.h"
#include "winsupport.h"
#include "textprinters.h"

#include <doctest/doctest.h>

#include <atomic>
#include <thread>

namespace {

using namespace std::chrono_literals;

const std::u16string Folder = u"d:\\talvero";
const std::u16string ListPath(lister::ListPath);

const wchar_t *wide(const std::u16string &text)
{
    return reinterpret_cast<const wchar_t *>(text.c_str());
}

std::string contentsOf(const std::u16string &path)
{
    auto opened = platform::ReadOnlyFile::openWindowsPath(path);
    REQUIRE(std::holds_alternative<platform::ReadOnlyFile>(opened));
    auto &file = std::get<platform::ReadOnlyFile>(opened);
    std::string bytes(file.size(), '\0');
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto read = file.read(std::span(bytes).subspan(at));
        REQUIRE(std::holds_alternative<std::size_t>(read));
        REQUIRE(std::get<std::size_t>(read) > 0);
        at += std::get<std::size_t>(read);
    }
    return bytes;
}

void writeList(const std::string &bytes)
{
    lister::WindowsListerHost host;
    const std::u16string temporary = host.temporaryPath();
    REQUIRE_FALSE(host.writeNewFile(temporary, bytes));
    REQUIRE_FALSE(host.replace(temporary, ListPath));
}

// The temporary files left in the folder.
int temporaryFiles()
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(L"d:\\talvero\\dcon-*.tmp", &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do
        ++count;
    while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return count;
}

struct FreshFolder {
    FreshFolder()
    {
        ::CreateDirectoryW(wide(Folder), nullptr);
        ::DeleteFileW(wide(ListPath));
        ::DeleteFileW(L"d:\\talvero\\shutcmd.log");
    }
};

// The real host, its pauses handed to the test.
class PausingHost : public lister::WindowsListerHost {
public:
    std::function<void()> onPause;
    std::function<std::chrono::steady_clock::time_point()> clock;
    int pauses = 0;

    void pause(std::chrono::milliseconds) override
    {
        ++pauses;
        if (onPause)
            onPause();
    }
    std::chrono::steady_clock::time_point now() override
    {
        return clock ? clock() : WindowsListerHost::now();
    }
};

const std::string OldList = "\\\\PC3001           ancien                  00:00:01\r\n";

} // namespace

TEST_CASE("a reader holding dcon.txt as the panel does delays the replace until it lets go")
{
    FreshFolder folder;
    writeList(OldList);
    auto held = std::make_optional(platform::ReadOnlyFile::openWindowsPath(ListPath));
    REQUIRE(std::holds_alternative<platform::ReadOnlyFile>(*held));

    PausingHost host;
    host.onPause = [&] { held.reset(); };
    REQUIRE(lister::runLister({}, host) == 0);
    // Windows (and Wine) refuse to rename over an open file: the first try
    // failed, the one after the reader closed it succeeded.
    CHECK(host.pauses == 1);
    const std::string list = contentsOf(ListPath);
    CHECK(list.starts_with("Sessions ouvertes sur cet ordinateur\r\n"));
    CHECK(parseSessionList(list).empty());
    CHECK(temporaryFiles() == 0);
}

TEST_CASE("a reader that holds dcon.txt past two seconds leaves it whole, and the lister says so")
{
    FreshFolder folder;
    writeList(OldList);
    const auto held = platform::ReadOnlyFile::openWindowsPath(ListPath);
    REQUIRE(std::holds_alternative<platform::ReadOnlyFile>(held));

    // Each look at the clock is 100 ms later: the two seconds pass at once.
    PausingHost host;
    auto time = std::chrono::steady_clock::time_point{};
    host.clock = [&] { return time += 100ms; };
    CHECK(lister::runLister({}, host) == 1);
    CHECK(host.pauses >= 19);
    CHECK(contentsOf(ListPath) == OldList);
    CHECK(temporaryFiles() == 0);
}

TEST_CASE("a reader reading in a loop sees one whole list each time, over 200 replacements")
{
    FreshFolder folder;
    const std::vector<lister::ListedSession> listA = {{u"PC3001", u"alice", u"00:00:01"},
                                                      {u"PC3002", u"bob", u"01:00:00"}};
    const std::vector<lister::ListedSession> listB = {{u"PC3003", u"Chloé", u"00:10:00"}};
    lister::WindowsListerHost encoder;
    const std::string bytesA = encoder.encode(lister::listText(u"", listA));
    const std::string bytesB = encoder.encode(lister::listText(u"", listB) + std::u16string(2000, u' '));
    const std::vector<SessionRecord> recordsA = parseSessionList(bytesA);
    const std::vector<SessionRecord> recordsB = parseSessionList(bytesB);
    REQUIRE(recordsA.size() == 2);
    REQUIRE(recordsB.size() == 1);
    writeList(bytesA);

    std::atomic<bool> done = false;
    std::atomic<int> reads = 0;
    std::atomic<int> torn = 0;
    std::atomic<int> openFailures = 0;
    std::thread reader([&] {
        while (!done) {
            auto opened = platform::ReadOnlyFile::openWindowsPath(ListPath);
            if (!std::holds_alternative<platform::ReadOnlyFile>(opened)) {
                ++openFailures;
                continue;
            }
            std::vector<SessionRecord> records;
            const auto failure = readSessionList(std::get<platform::ReadOnlyFile>(opened),
                                                 [&](const SessionLine &line) { records.push_back(line.record().toRecord()); });
            if (failure || (records != recordsA && records != recordsB))
                ++torn;
            ++reads;
            ::SwitchToThread();
        }
    });

    PausingHost host;
    host.onPause = [] { ::SwitchToThread(); };
    int replaced = 0;
    for (int i = 0; i < 200; ++i) {
        const std::u16string temporary = host.temporaryPath() + std::u16string(1, char16_t(u'a' + i % 2));
        REQUIRE_FALSE(host.writeNewFile(temporary, i % 2 ? bytesA : bytesB));
        replaced += !lister::replaceFile(host, temporary, ListPath);
    }
    done = true;
    reader.join();
    CHECK(replaced == 200);
    CHECK(reads > 0);
    CHECK(torn == 0);
    CHECK(openFailures == 0);
    CHECK(temporaryFiles() == 0);
    MESSAGE(reads.load(), " reads, ", host.pauses, " replaces tried again while the reader held the file");
}

TEST_CASE("two writers appending to shutcmd.log at once leave whole lines and one byte order mark")
{
    FreshFolder folder;
    constexpr int LinesEach = 200;
    std::atomic<int> ready = 0;
    const auto writer = [&](char16_t name) {
        shutcmd::WindowsShutdownHost host;
        ++ready;
        while (ready < 2)
            ::SwitchToThread();
        for (int i = 0; i < LinesEach; ++i) {
            const std::string number = std::to_string(i);
            REQUIRE_FALSE(host.appendToLog(std::u16string(1, name) + u"\tredémarrage\t" +
                                           std::u16string(number.begin(), number.end()) + std::u16string(300, name)));
        }
    };
    std::thread first(writer, u'A');
    std::thread second(writer, u'B');
    first.join();
    second.join();

    const std::string log = contentsOf(u"d:\\talvero\\shutcmd.log");
    REQUIRE(log.starts_with("\xEF\xBB\xBF"));
    int next[2] = {0, 0};
    std::size_t start = 3;
    int lines = 0;
    for (; start < log.size(); ++lines) {
        const std::size_t end = log.find("\r\n", start);
        REQUIRE(end != std::string::npos);
        const std::string line = log.substr(start, end - start);
        const int who = line.starts_with('A') ? 0 : 1;
        const std::string number = std::to_string(next[who]++);
        CHECK(line == std::string(1, char('A' + who)) + "\tred\xC3\xA9marrage\t" + number +
                          std::string(300, char('A' + who)));
        start = end + 2;
    }
    CHECK(lines == 2 * LinesEach);
    CHECK(next[0] == LinesEach);
}
