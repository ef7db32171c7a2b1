// Stands in for the shutdown tool d:\talvero\shutcmd.exe. Checks how it was
// started: GetCommandLineW() must be exactly the panel's 169-character
// command line for the station that its first argument names (\\PC3001 ..
// \\PC3012), and GetStartupInfoW() must ask for SW_SHOWMINIMIZED with
// STARTF_USESHOWWINDOW.
//
// Records what it saw next to itself, one file per run:
// <its name>.<process id>.rec (shutcmd.1234.rec), UTF-16LE, fields each
// ended by U+0000:
//   0  "exact", or what was wrong, in words
//   1  GetCommandLineW() as received
//   2  "flags=N show=N" from GetStartupInfoW()
//   3… argv as the C runtime split it
// The record is written under another name and renamed into place, so that
// whoever sees a .rec file sees all of it. Exits with 0 when exact, 1 when
// not, 2 when the record cannot be written.

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

// The panel's command line for `station` ("\\PC3001"), or nothing when the
// argument names no station of the room.
std::wstring stationCommandLine(const std::wstring &station)
{
    const bool named = station.size() == 8 && station.compare(0, 6, L"\\\\PC30") == 0 && iswdigit(station[6]) &&
                       iswdigit(station[7]);
    const int index = named ? (station[6] - L'0') * 10 + (station[7] - L'0') : 0;
    if (index < 1 || index > 12)
        return {};
    return L"d:\\talvero\\shutcmd.exe " + station +
           L" /R /T:120 \"Attention cet ordinateur se relance dans 2 minutes. Vous devez fermer votre session et "
           L"sortir de la salle dans les 5 minutes.\"";
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const std::wstring line = GetCommandLineW();

    std::wstring verdict;
    const std::wstring expected = argc > 1 ? stationCommandLine(argv[1]) : std::wstring();
    if (expected.empty())
        verdict += L"no station named; ";
    else if (line != expected || line.size() != 169)
        verdict += L"not the 169-character command line of its station; ";
    if (!(startup.dwFlags & STARTF_USESHOWWINDOW) || startup.wShowWindow != SW_SHOWMINIMIZED)
        verdict += L"not asked for SW_SHOWMINIMIZED with STARTF_USESHOWWINDOW; ";
    if (verdict.empty())
        verdict = L"exact";
    else
        verdict.resize(verdict.size() - 2);

    std::wstring record = verdict + L'\0' + line + L'\0';
    record += L"flags=" + std::to_wstring(startup.dwFlags) + L" show=" + std::to_wstring(startup.wShowWindow) + L'\0';
    for (int i = 0; i < argc; ++i)
        record += std::wstring(argv[i]) + L'\0';

    std::wstring self(MAX_PATH * 4, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    const std::wstring stem = self.substr(0, self.size() - (self.ends_with(L".exe") ? 4 : 0));
    const std::wstring name = stem + L'.' + std::to_wstring(GetCurrentProcessId());
    {
        std::ofstream file(std::filesystem::path(name + L".part"), std::ios::binary);
        file.write(reinterpret_cast<const char *>(record.data()), std::streamsize(record.size() * sizeof(wchar_t)));
        file.close();
        if (!file)
            return 2;
    }
    if (!MoveFileExW((name + L".part").c_str(), (name + L".rec").c_str(), MOVEFILE_REPLACE_EXISTING))
        return 2;
    return verdict == L"exact" ? 0 : 1;
}
