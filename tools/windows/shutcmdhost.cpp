#include "shutcmdhost.h"

#include "winsupport.h"

#include <cstdio>

namespace shutcmd {

namespace {

// Enables the shutdown privileges that the token holds: SeShutdownPrivilege
// for this computer, SeRemoteShutdownPrivilege where the account has it
// here. A privilege that the token lacks is skipped: the call then says
// what is missing.
void enableShutdownPrivileges()
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return;
    for (const wchar_t *name : {L"SeShutdownPrivilege", L"SeRemoteShutdownPrivilege"}) {
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (::LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid))
            ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    }
    ::CloseHandle(token);
}

Outcome outcomeOf(BOOL done)
{
    const DWORD code = done ? ERROR_SUCCESS : ::GetLastError();
    return Outcome{code, winsupport::describe(code)};
}

bool writeAll(HANDLE file, std::string_view bytes)
{
    DWORD written = 0;
    return ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

} // namespace

Outcome WindowsShutdownHost::restart(const RestartCall &call)
{
    enableShutdownPrivileges();
    std::u16string machine = call.machine;
    std::u16string message = call.message;
    return outcomeOf(::InitiateSystemShutdownExW(const_cast<wchar_t *>(winsupport::wide(machine)),
                                                 const_cast<wchar_t *>(winsupport::wide(message)),
                                                 call.delaySeconds, call.forceAppsClosed, call.reboot,
                                                 call.reason));
}

Outcome WindowsShutdownHost::abort(std::u16string_view machine)
{
    enableShutdownPrivileges();
    std::u16string name(machine);
    return outcomeOf(::AbortSystemShutdownW(const_cast<wchar_t *>(winsupport::wide(name))));
}

std::u16string WindowsShutdownHost::timestamp()
{
    FILETIME utc{};
    FILETIME local{};
    SYSTEMTIME time{};
    ::GetSystemTimeAsFileTime(&utc);
    ::FileTimeToLocalFileTime(&utc, &local);
    ::FileTimeToSystemTime(&local, &time);
    const auto ticks = [](const FILETIME &t) { return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    // 100-nanosecond ticks to minutes, rounded.
    const long long offset = (ticks(local) - ticks(utc) + (ticks(local) >= ticks(utc) ? 300'000'000 : -300'000'000)) /
                             600'000'000;
    const long long magnitude = offset < 0 ? -offset : offset;
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u%c%02lld:%02lld", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond, offset < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::optional<platform::Failure> WindowsShutdownHost::appendToLog(std::u16string_view line)
{
    const HANDLE file = ::CreateFileW(winsupport::wide(m_logPath), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return winsupport::failure(::GetLastError());

    std::optional<platform::Failure> failure;
    OVERLAPPED whole{};
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        failure = winsupport::failure(::GetLastError());
    } else {
        LARGE_INTEGER size{};
        const std::string bytes = platform::toUtf8(std::u16string(line) + u"\r\n");
        if (!::GetFileSizeEx(file, &size) || !::SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_END) ||
            (size.QuadPart == 0 && !writeAll(file, "\xEF\xBB\xBF")) || !writeAll(file, bytes))
            failure = winsupport::failure(::GetLastError());
        OVERLAPPED again{};
        ::UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &again);
    }
    ::CloseHandle(file);
    return failure;
}

void WindowsShutdownHost::say(std::u16string_view line, bool error)
{
    winsupport::say(line, error);
}

} // namespace shutcmd
