// salle30.exe as a process of its own under Wine (or Windows), driven from
// another one, for what only a real process shows: its window as the system
// lists it, real launches of the shutdown tool and of session.bat, its exit
// code, and a screen reader reaching it through COM from outside. Everything
// else is tested in-process (tst_window). Drive D: is the test's own
// (scripts/wine-run).

#include "controlids.h"
#include "controls.h"
#include "paneldriver.h"
#include "sessionline.h"
#include "station.h"

#include <doctest/doctest.h>

#include <oleacc.h>
#include <tlhelp32.h>

#include <iomanip>
#include <memory>
#include <set>
#include <sstream>

using namespace paneltest;

namespace {

const std::wstring PanelProgram = windowsPath(SALLE30_PANEL_EXE);
const std::wstring RecorderProgram = windowsPath(SALLE30_RECORDER_EXE);

std::string line(std::string_view computer, std::string_view user, std::string_view idle)
{
    return sessionLine(computer, user, idle) + "\r\n";
}

// The station a shutdown record names, from the command line it got; 0 for
// none.
int recordedStation(const std::vector<std::u16string> &record)
{
    if (record.size() < 2)
        return 0;
    for (int station = 1; station <= room::StationCount; ++station)
        if (record[1].find(u"\\\\" + room::stationName(station) + u" ") != std::u16string::npos)
            return station;
    return 0;
}

// Whether a shutdown tool that the panel started still runs.
bool shutdownToolRuns()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return true;
    PROCESSENTRY32W process{};
    process.dwSize = sizeof process;
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot, &process); more && !found; more = Process32NextW(snapshot, &process))
        found = lstrcmpiW(process.szExeFile, L"shutcmd.exe") == 0;
    CloseHandle(snapshot);
    return found;
}

// "1 2 3", for a failed check to show.
std::string stationList(const std::multiset<int> &stations)
{
    std::string out;
    for (int station : stations)
        out.append(out.empty() ? "" : " ").append(std::to_string(station));
    return out;
}

// The stations of the shutdown tool's runs, once every run that the panel
// has started has ended: the panel starts each before its handler returns,
// and each leaves its record, whole, before it ends. Expects `count` of them.
std::string waitForShutdowns(std::size_t count)
{
    CHECK_MESSAGE(waitUntil([] { return !shutdownToolRuns(); }, std::chrono::minutes(2)),
                  "the shutdown tool still runs after two minutes");
    const auto records = recordFiles();
    CHECK(records.size() == count);
    std::multiset<int> stations;
    for (const auto &path : records) {
        const auto record = recordFields(path);
        REQUIRE(record.size() >= 3);
        CAPTURE(platform::toUtf8(record[1]));
        CAPTURE(platform::toUtf8(record[2]));
        // The stand-in judges its own command line and window: "exact".
        CHECK(platform::toUtf8(record[0]) == "exact");
        stations.insert(recordedStation(record));
    }
    return stationList(stations);
}

void removeShutdownRecords()
{
    for (const auto &record : recordFiles())
        std::filesystem::remove(record);
}

void installShutdownTool()
{
    REQUIRE(CopyFileW(RecorderProgram.c_str(), TrialDrive::path(u"shutcmd.exe").c_str(), FALSE));
}

std::vector<std::string> utf8(const std::vector<std::wstring> &texts)
{
    std::vector<std::string> out;
    for (const auto &text : texts)
        out.push_back(paneltest::utf8(text));
    return out;
}

// COM on the test's thread, for a screen reader's calls into the panel.
class ComApartment {
public:
    ComApartment() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) { REQUIRE(SUCCEEDED(m_result)); }
    ~ComApartment()
    {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ComApartment(const ComApartment &) = delete;
    ComApartment &operator=(const ComApartment &) = delete;

private:
    HRESULT m_result;
};

std::string hresult(HRESULT result)
{
    std::ostringstream out;
    out << "HRESULT 0x" << std::hex << std::setw(8) << std::setfill('0') << static_cast<unsigned long>(result);
    return out.str();
}

struct ReleaseAccessible {
    void operator()(IAccessible *object) const { object->Release(); }
};
using Accessible = std::unique_ptr<IAccessible, ReleaseAccessible>;

Accessible accessibleOf(HWND window)
{
    IAccessible *object = nullptr;
    const HRESULT result =
        AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void **>(&object));
    REQUIRE_MESSAGE(SUCCEEDED(result), "AccessibleObjectFromWindow: " << hresult(result));
    return Accessible(object);
}

VARIANT child(long id)
{
    VARIANT out;
    VariantInit(&out);
    out.vt = VT_I4;
    out.lVal = id;
    return out;
}

std::string accessibleText(IAccessible &object, HRESULT (STDMETHODCALLTYPE IAccessible::*property)(VARIANT, BSTR *),
                           long id)
{
    BSTR text = nullptr;
    const HRESULT result = (object.*property)(child(id), &text);
    if (result != S_OK)
        return "<" + hresult(result) + ">";
    const std::wstring value(text, SysStringLen(text));
    SysFreeString(text);
    return paneltest::utf8(value);
}

// What a screen reader reads of station 7's tile from another process:
// "Image7bis: PC3007 : session ouverte" for each element shown, in order.
// Station 7's elements are the window's children 43 (Image7) to 49 (Label7ter).
std::vector<std::string> stationSeven(IAccessible &plan)
{
    const char *names[]{"Image7", "Image7bis", "Image7ter", "Image7q", "Label7", "Label7bis", "Label7ter"};
    std::vector<std::string> shown;
    for (long id = 43; id <= 49; ++id) {
        VARIANT state;
        VariantInit(&state);
        REQUIRE(plan.get_accState(child(id), &state) == S_OK);
        if (state.vt == VT_I4 && !(state.lVal & STATE_SYSTEM_INVISIBLE))
            shown.push_back(std::string(names[id - 43]) + ": " + accessibleText(plan, &IAccessible::get_accName, id));
    }
    return shown;
}

} // namespace

TEST_CASE("a fresh panel: its window, the station list, the focus on PC3005, and no window per tile element")
{
    TrialDrive drive;
    Panel panel(PanelProgram);

    wchar_t title[64]{};
    GetWindowTextW(panel.window(), title, int(std::size(title)));
    CHECK(paneltest::utf8(title) == "Salle Talvero 30");
    CHECK(utf8(panel.listItems(win32ids::Listcomplete)) ==
          std::vector<std::string>{"PC3001", "PC3002", "PC3003", "PC3004", "PC3005", "PC3006", "PC3007", "PC3008",
                                   "PC3009", "PC3010", "PC3011", "PC3012"});
    CHECK(panel.listItems(win32ids::Listpc).empty());
    CHECK_FALSE(panel.visible(win32ids::Listcomplete));
    CHECK_FALSE(panel.visible(win32ids::Listpc));
    for (int station = 1; station <= room::StationCount; ++station) {
        CAPTURE(station);
        CHECK(panel.visible(win32ids::stationButton(station)));
        // The fifth button is named Pc3005 but reads "PC3005".
        CHECK(paneltest::utf8(panel.text(win32ids::stationButton(station))) ==
              platform::toUtf8(room::stationName(station)));
    }
    // Twelve buttons, two lists and the status area: the tiles are painted.
    int children = 0;
    EnumChildWindows(
        panel.window(), [](HWND, LPARAM count) { return ++*reinterpret_cast<int *>(count), TRUE; },
        reinterpret_cast<LPARAM>(&children));
    CHECK(children == 15);
    // No dcon.txt and no session.bat: the status area says so.
    CHECK(paneltest::utf8(panel.text(win32ids::StatusLine)).starts_with("dcon.txt illisible"));
    CHECK(waitUntil([&] { return panel.focus() == panel.control(win32ids::stationButton(5)); }));
}

TEST_CASE("a station button launches the shutdown tool for its station")
{
    TrialDrive drive;
    installShutdownTool();
    Panel panel(PanelProgram);
    for (int station : {3, 7, 5, 1, 12}) {
        CAPTURE(station);
        removeShutdownRecords();
        REQUIRE(panel.click(station));
        CHECK(waitForShutdowns(1) == std::to_string(station));
    }
}

TEST_CASE("a room shutdown launches every station once")
{
    TrialDrive drive;
    installShutdownTool();
    Panel panel(PanelProgram);

    // The chain runs to its end at once, PC3001 by the menu, then each tick
    // handled before the next is sent. Whether a chain timer's own tick
    // comes first, on a slow machine, or the test's, each station is
    // launched once, as the other finds its timer disabled; and after
    // Timer12 no chain timer is left to launch anything while the test waits.
    REQUIRE(panel.command(win32ids::menuCommand(panel::MenuCommand::Stopall)));
    for (int k = 2; k <= room::StationCount; ++k)
        REQUIRE(panel.tick(k));
    CHECK(waitForShutdowns(12) == "1 2 3 4 5 6 7 8 9 10 11 12");
}

TEST_CASE("the panel ends with exit code 0, also during a room shutdown")
{
    struct Row {
        std::string name;
        bool roomShutdown;
        UINT message;
        WPARAM wParam;
    };
    const Row rows[]{
        {"Quitter", false, WM_COMMAND, WPARAM(win32ids::menuCommand(panel::MenuCommand::Quitter))},
        {"Quitter during a room shutdown", true, WM_COMMAND,
         WPARAM(win32ids::menuCommand(panel::MenuCommand::Quitter))},
        {"closing the window during a room shutdown", true, WM_CLOSE, 0},
    };
    for (const Row &row : rows) {
        CAPTURE(row.name);
        TrialDrive drive;
        installShutdownTool();
        Panel panel(PanelProgram);
        if (row.roomShutdown) {
            REQUIRE(panel.command(win32ids::menuCommand(panel::MenuCommand::Stopall)));
            REQUIRE(panel.tick(2));
        }
        PostMessageW(panel.window(), row.message, row.wParam, 0);
        CHECK(panel.waitForExit() == 0);
    }
}

TEST_CASE("session.bat runs through cmd at each refresh; its list shows at a later one")
{
    TrialDrive drive;
    // What session.bat writes, in the columns the panel reads.
    REQUIRE(TrialDrive::write(u"session.bat", "@echo off\r\n>d:\\talvero\\dcon.txt echo " +
                                                 sessionLine("PC3007", "lucie", "00:00:05") + "\r\n"));
    Panel panel(PanelProgram);
    ComApartment com;
    const Accessible plan = accessibleOf(panel.window());
    CHECK(waitUntil([&] {
        return panel.command(win32ids::menuCommand(panel::MenuCommand::Refresh)) &&
               panel.listItems(win32ids::Listpc) == std::vector<std::wstring>{L"PC3007"};
    }));
    CHECK(stationSeven(*plan) == std::vector<std::string>{"Image7bis: PC3007 : session ouverte",
                                                          "Image7ter: PC3007 : utilisateur", "Label7: lucie",
                                                          "Label7bis: NOM", "Label7ter: 00:00:05"});
}

TEST_CASE("a screen reader in another process reads the painted tiles and the buttons' descriptions")
{
    struct Row {
        std::string name;
        std::string file;
        std::vector<std::string> stationSeven;
        std::string buttonSeven;
    };
    const std::vector<Row> rows{
        {"no session", "", {"Image7: PC3007 : aucune session"}, "aucune session"},
        {"an idle session, an accented name",
         line("PC3007", "zo\xE9", "02:18:14"),
         {"Image7bis: PC3007 : session ouverte", "Image7ter: PC3007 : utilisateur", "Image7q: PC3007 : inactif",
          "Label7: zoé", "Label7bis: NOM", "Label7ter: 02:18:14"},
         "session de zoé, inactive depuis 02:18:14"},
    };
    TrialDrive drive;
    Panel panel(PanelProgram);
    ComApartment com;
    // Held across refreshes, as a screen reader keeps the objects it is on:
    // they answer as the room is now.
    const Accessible plan = accessibleOf(panel.window());
    const Accessible button = accessibleOf(panel.control(win32ids::stationButton(7)));
    long count = 0;
    REQUIRE(plan->get_accChildCount(&count) == S_OK);
    CHECK(count >= 84 + 12);
    for (const Row &row : rows) {
        CAPTURE(row.name);
        REQUIRE(TrialDrive::write(u"dcon.txt", row.file));
        REQUIRE(panel.command(win32ids::menuCommand(panel::MenuCommand::Refresh)));
        CHECK(stationSeven(*plan) == row.stationSeven);
        CHECK(accessibleText(*button, &IAccessible::get_accDescription, CHILDID_SELF) == row.buttonSeven);
        // The rest is the standard object's: the caption as its name.
        CHECK(accessibleText(*button, &IAccessible::get_accName, CHILDID_SELF) == "PC3007");
    }
}
