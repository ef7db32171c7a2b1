// Stands in for the shutdown tool: records how it was started and exits.
//
// Writes shutcmd.rec next to its own executable, in UTF-16LE, as fields each
// ended by U+0000:
//   1. GetCommandLineW(), exactly as received;
//   2. "flags=N show=N": dwFlags and wShowWindow of GetStartupInfoW();
//   3. onwards: the arguments as the C runtime split them (argv[0] first).
// The file is written under a temporary name and then renamed, so a reader
// that sees shutcmd.rec sees all of it.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t **argv)
{
    std::wstring record = GetCommandLineW();
    record.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    record += L"flags=" + std::to_wstring(startup.dwFlags) + L" show=" + std::to_wstring(startup.wShowWindow);
    record.push_back(L'\0');

    for (int i = 0; i < argc; ++i) {
        record += argv[i];
        record.push_back(L'\0');
    }

    std::wstring directory(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, directory.data(), static_cast<DWORD>(directory.size()));
        if (length == 0)
            return 2;
        if (length < directory.size()) {
            directory.resize(length);
            break;
        }
        directory.resize(directory.size() * 2);
    }
    directory.erase(directory.find_last_of(L"\\/") + 1);
    const std::wstring partial = directory + L"shutcmd.rec.part";
    const std::wstring complete = directory + L"shutcmd.rec";

    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    const DWORD bytes = static_cast<DWORD>(record.size() * sizeof(wchar_t));
    DWORD written = 0;
    const bool ok = WriteFile(file, record.data(), bytes, &written, nullptr) && written == bytes;
    CloseHandle(file);
    if (!ok || !MoveFileExW(partial.c_str(), complete.c_str(), MOVEFILE_REPLACE_EXISTING))
        return 4;
    return 0;
}
