// Stands in for the shutdown tool at d:\talvero\shutcmd.exe: records how it was
// started in d:\talvero\shutcmd.rec, UTF-16LE, as fields each ended by U+0000:
// GetCommandLineW() as received; "flags=N show=N" from GetStartupInfoW(); then
// argv as the C runtime split it. The record is written under another name and
// renamed, so whoever sees shutcmd.rec sees all of it.

#include <windows.h>

#include <fstream>
#include <string>

int wmain(int argc, wchar_t **argv)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    std::wstring record = GetCommandLineW() + std::wstring(1, L'\0');
    record += L"flags=" + std::to_wstring(startup.dwFlags) + L" show=" + std::to_wstring(startup.wShowWindow) + L'\0';
    for (int i = 0; i < argc; ++i)
        record += std::wstring(argv[i]) + L'\0';

    std::ofstream file("d:\\talvero\\shutcmd.part", std::ios::binary);
    file.write(reinterpret_cast<const char *>(record.data()), record.size() * sizeof(wchar_t));
    file.close();
    return !file || !MoveFileExW(L"d:\\talvero\\shutcmd.part", L"d:\\talvero\\shutcmd.rec", MOVEFILE_REPLACE_EXISTING);
}
