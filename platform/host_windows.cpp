#include "platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <climits>
#include <utility>

namespace platform {

// On Windows wchar_t and char16_t both hold UTF-16 code units, so text passes
// between them unit by unit.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

namespace {

// ERROR_DIRECTORY_NOT_SUPPORTED, which older SDK headers lack.
constexpr DWORD DirectoryNotSupported = 336;

std::u16string fromWide(const wchar_t *text, std::size_t size)
{
    return std::u16string(text, text + size);
}

// FormatMessageW's text, without the line end and the full stop that the
// system puts after it, so that the caller may place it inside a sentence.
// Never empty: a number the system cannot describe still gets a text.
std::u16string describe(DWORD number)
{
    wchar_t *buffer = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, number, 0, reinterpret_cast<wchar_t *>(&buffer), 0,
                                          nullptr);
    std::u16string text;
    if (length > 0 && buffer)
        text = fromWide(buffer, length);
    if (buffer)
        ::LocalFree(buffer);

    const auto isSpace = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    while (!text.empty() && isSpace(text.back()))
        text.pop_back();
    // Only a single full stop: an ellipsis is part of the wording.
    if (text.size() >= 2 && text.back() == u'.' && text[text.size() - 2] != u'.') {
        text.pop_back();
        while (!text.empty() && isSpace(text.back()))
            text.pop_back();
    }
    if (text.empty()) {
        const std::string digits = std::to_string(number);
        text = u"system error " + std::u16string(digits.begin(), digits.end());
    }
    return text;
}

// Appends the bytes decoded by MultiByteToWideChar, written straight into
// `out`; bytes.size() must fit in an int. No code page of the system gives
// more than one UTF-16 unit per byte, so room for that is tried first; the
// size is only asked for should it not do.
void appendDecoded(std::u16string &out, std::string_view bytes)
{
    const int size = static_cast<int>(bytes.size());
    const std::size_t at = out.size();
    const auto decodeInto = [&](int room) {
        out.resize(at + static_cast<std::size_t>(room));
        const int written = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size,
                                                  reinterpret_cast<wchar_t *>(out.data() + at), room);
        out.resize(at + static_cast<std::size_t>(std::max(written, 0)));
        return written > 0;
    };
    if (decodeInto(size))
        return;
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (needed > size && decodeInto(needed))
        return;
    // Without MB_ERR_INVALID_CHARS the call does not fail on content; should
    // the system refuse anyway, ASCII is kept and every other byte is marked
    // as undecodable rather than lost.
    for (const char c : bytes)
        out.push_back(static_cast<unsigned char>(c) < 0x80 ? static_cast<char16_t>(c) : u'\uFFFD');
}

} // namespace

std::u16string hostPathText(std::u16string_view windowsPath)
{
    return std::u16string(windowsPath);
}

std::optional<Failure> launchDetached(std::u16string_view commandLine)
{
    // CreateProcessW reads the line up to its first NUL: a line holding one
    // would start a different command from the one asked for.
    if (commandLine.find(u'\0') != std::u16string_view::npos)
        return Failure{ERROR_INVALID_PARAMETER, describe(ERROR_INVALID_PARAMETER)};

    // CreateProcessW may write into the command line, so it gets a copy.
    std::wstring line(commandLine.begin(), commandLine.end());

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        const DWORD number = ::GetLastError();
        return Failure{static_cast<int>(number), describe(number)};
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return std::nullopt;
}

std::variant<ReadOnlyFile, Failure> ReadOnlyFile::openWindowsPath(std::u16string_view windowsPath)
{
    const std::wstring path(windowsPath.begin(), windowsPath.end());
    // FILE_FLAG_BACKUP_SEMANTICS lets a directory open, so that it can be
    // named as such rather than as "access denied". FILE_SHARE_WRITE and
    // FILE_SHARE_DELETE let the session list command write the list anew or
    // delete it while it is read. Renaming another file over it still fails
    // while it is open (ERROR_ACCESS_DENIED) where the system has no POSIX
    // rename semantics, as under Wine: the read is short, the next refresh
    // finds the new list.
    const HANDLE handle =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD number = ::GetLastError();
        return Failure{static_cast<int>(number), describe(number)};
    }
    ReadOnlyFile file(reinterpret_cast<std::intptr_t>(handle), 0, {});
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        return Failure{ERROR_INVALID_FUNCTION, u"Not a regular file"};
    // The basic and standard information, not GetFileInformationByHandle:
    // that one also fetches the volume's serial number, which under Wine is
    // a round trip to the mount manager's process on every refresh.
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    if (!::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) ||
        !::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard)) {
        const DWORD number = ::GetLastError();
        return Failure{static_cast<int>(number), describe(number)};
    }
    if (standard.Directory)
        return Failure{static_cast<int>(DirectoryNotSupported), describe(DirectoryNotSupported)};
    file.m_size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
    // The write time counts 100 ns from 1601-01-01; the system clock from 1970.
    constexpr std::uint64_t From1601To1970 = 116444736000000000ULL;
    const auto ticks = static_cast<std::uint64_t>(basic.LastWriteTime.QuadPart);
    const auto sinceEpoch = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>(
        static_cast<std::int64_t>(ticks) - static_cast<std::int64_t>(From1601To1970));
    file.m_lastWritten = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(sinceEpoch));
    return file;
}

void ReadOnlyFile::close() noexcept
{
    if (m_handle != -1)
        ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    m_handle = -1;
}

std::variant<std::size_t, Failure> ReadOnlyFile::read(std::span<char> buffer)
{
    // ReadFile counts in DWORD: a larger buffer is read in part.
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), MAXDWORD));
    DWORD got = 0;
    if (!::ReadFile(reinterpret_cast<HANDLE>(m_handle), buffer.data(), wanted, &got, nullptr)) {
        const DWORD number = ::GetLastError();
        return Failure{static_cast<int>(number), describe(number)};
    }
    return static_cast<std::size_t>(got);
}

void decodeSystemText(std::string_view bytes, std::u16string &out)
{
    out.clear();
    out.reserve(bytes.size());
    // MultiByteToWideChar counts in int. Longer input goes in pieces, each
    // ending after an ASCII byte where there is one, which no code page this
    // program supports uses inside a multi-byte character.
    constexpr std::size_t piece = INT_MAX / 2;
    while (bytes.size() > piece) {
        std::size_t cut = piece;
        while (cut > piece / 2 && static_cast<unsigned char>(bytes[cut - 1]) >= 0x80)
            --cut;
        if (cut == piece / 2)
            cut = piece;
        appendDecoded(out, bytes.substr(0, cut));
        bytes.remove_prefix(cut);
    }
    if (!bytes.empty())
        appendDecoded(out, bytes);
}

TimeOfDay localTimeOfDay(std::chrono::system_clock::time_point time)
{
    // The system clock counts from 1970, FILETIME in 100 ns from 1601.
    constexpr std::int64_t From1601To1970 = 116444736000000000LL;
    const auto ticks = std::chrono::duration_cast<std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>>(
                           time.time_since_epoch())
                           .count() +
                       From1601To1970;
    FILETIME universal;
    universal.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks));
    universal.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
    SYSTEMTIME utc;
    SYSTEMTIME local;
    if (!::FileTimeToSystemTime(&universal, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return {};
    return {local.wHour, local.wMinute, local.wSecond};
}

} // namespace platform
