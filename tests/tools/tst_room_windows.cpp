// The room end to end under Wine, nothing played by a stand-in: the zip
// unpacked into d:\talvero\ (room-end-to-end does that, then checks Wine's
// trace of the shutdown call), salle30.exe started from there. Its
// session.bat runs sesslist.exe, which writes dcon.txt; the status line
// then shows a list written seconds ago; a click on PC3004 runs shutcmd.exe,
// which logs the order it gave.

#include "controlids.h"
#include "controls.h"
#include "paneldriver.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

std::string fileText(const wchar_t *path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool exists(const wchar_t *path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// The N of "(il y a N s)" in the status line, or -1.
int ageInSeconds(const std::wstring &status)
{
    const std::size_t at = status.find(L"(il y a ");
    if (at == std::wstring::npos)
        return -1;
    std::size_t end = at + 8;
    int seconds = 0;
    bool digits = false;
    for (; end < status.size() && iswdigit(status[end]); ++end, digits = true)
        seconds = seconds * 10 + (status[end] - L'0');
    return digits && status.compare(end, 3, L" s)") == 0 ? seconds : -1;
}

} // namespace

TEST_CASE("the unpacked zip makes a working room")
{
    using namespace std::chrono_literals;
    for (const wchar_t *file : {L"d:\\talvero\\salle30.exe", L"d:\\talvero\\session.bat", L"d:\\talvero\\sesslist.exe",
                                L"d:\\talvero\\shutcmd.exe", L"d:\\talvero\\LISEZMOI.txt"})
        REQUIRE_MESSAGE(exists(file), paneltest::utf8(file) << " is not in d:\\talvero\\");
    REQUIRE_FALSE(exists(L"d:\\talvero\\dcon.txt"));

    paneltest::Panel panel(L"d:\\talvero\\salle30.exe");

    // The start-up's refresh launched session.bat through cmd: sesslist.exe
    // writes dcon.txt, the empty list that Wine's NetSessionEnum gives.
    REQUIRE_MESSAGE(waitUntil([] { return exists(L"d:\\talvero\\dcon.txt"); }, 120s),
                    "session.bat did not write d:\\talvero\\dcon.txt");
    const std::string list = fileText(L"d:\\talvero\\dcon.txt");
    CHECK(list.starts_with("Sessions ouvertes sur cet ordinateur\r\n"));

    // The next refresh reads it: a list written seconds ago.
    std::wstring status;
    const bool fresh = waitUntil(
        [&] {
            REQUIRE(panel.command(win32ids::menuCommand(panel::MenuCommand::Refresh)));
            status = panel.text(win32ids::StatusLine);
            return ageInSeconds(status) >= 0;
        },
        60s);
    INFO("status line: " << paneltest::utf8(status));
    REQUIRE(fresh);
    MESSAGE("status line: " << paneltest::utf8(status));
    CHECK(status.find(L"dcon.txt \u00e9crit \u00e0 ") != std::wstring::npos);
    CHECK(ageInSeconds(status) <= 60);
    CHECK(panel.listItems(win32ids::Listpc).empty());

    // A click on PC3004 runs the real shutcmd.exe, which logs Windows' answer.
    REQUIRE(panel.click(4));
    std::string log;
    const bool logged = waitUntil(
        [&] {
            log = fileText(L"d:\\talvero\\shutcmd.log");
            return log.find("\r\n") != std::string::npos;
        },
        120s);
    INFO("shutcmd.log: " << log);
    REQUIRE(logged);
    CHECK(log.find("\tPC3004\tred\xC3\xA9marrage dans 120 s, applications ferm\xC3\xA9""es\t0\t") != std::string::npos);
    CHECK(std::count(log.begin(), log.end(), '\n') == 1);
    CHECK(panel.waitForExit(0ms) == STILL_ACTIVE);
}
