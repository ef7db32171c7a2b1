#include "sesslisthost.h"

#include "winsupport.h"

#include <lm.h>
#include <winsock2.h>
#include <ws2tcpip.h>

namespace lister {

WindowsListerHost::WindowsListerHost() = default;

WindowsListerHost::~WindowsListerHost()
{
    if (m_sockets == Sockets::Started)
        ::WSACleanup();
}

std::variant<std::vector<ClientSession>, platform::Failure> WindowsListerHost::sessions(std::u16string_view server)
{
    const std::u16string name(server);
    std::vector<ClientSession> sessions;
    DWORD resume = 0;
    for (;;) {
        BYTE *buffer = nullptr;
        DWORD read = 0;
        DWORD total = 0;
        const NET_API_STATUS status =
            ::NetSessionEnum(name.empty() ? nullptr : const_cast<wchar_t *>(winsupport::wide(name)), nullptr, nullptr,
                             10, &buffer, MAX_PREFERRED_LENGTH, &read, &total, &resume);
        if (status != NERR_Success && status != ERROR_MORE_DATA) {
            if (buffer)
                ::NetApiBufferFree(buffer);
            return winsupport::failure(status);
        }
        const auto *entries = reinterpret_cast<const SESSION_INFO_10 *>(buffer);
        for (DWORD i = 0; entries && i < read; ++i)
            sessions.push_back({winsupport::fromWide(entries[i].sesi10_cname),
                                winsupport::fromWide(entries[i].sesi10_username), entries[i].sesi10_idle_time});
        if (buffer)
            ::NetApiBufferFree(buffer);
        if (status == NERR_Success)
            return sessions;
    }
}

std::optional<std::u16string> WindowsListerHost::hostName(std::u16string_view address)
{
    // Winsock only once there is an address to look up: an empty list costs
    // no start of it.
    if (m_sockets == Sockets::NotYet) {
        WSADATA data{};
        m_sockets = ::WSAStartup(MAKEWORD(2, 2), &data) == 0 ? Sockets::Started : Sockets::Failed;
    }
    if (m_sockets != Sockets::Started)
        return std::nullopt;
    const std::u16string text(address);
    ADDRINFOW hints{};
    hints.ai_flags = AI_NUMERICHOST;
    ADDRINFOW *found = nullptr;
    if (::GetAddrInfoW(winsupport::wide(text), nullptr, &hints, &found) != 0 || !found)
        return std::nullopt;
    wchar_t host[NI_MAXHOST];
    const int result = ::GetNameInfoW(found->ai_addr, static_cast<socklen_t>(found->ai_addrlen), host, NI_MAXHOST,
                                      nullptr, 0, NI_NAMEREQD);
    ::FreeAddrInfoW(found);
    if (result != 0)
        return std::nullopt;
    return winsupport::fromWide(host);
}

std::string WindowsListerHost::encode(std::u16string_view text)
{
    if (text.empty())
        return {};
    // A system whose ANSI code page is UTF-8 takes neither flag nor default.
    const bool utf8 = ::GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char *fallback = utf8 ? nullptr : "?";
    const auto *source = reinterpret_cast<const wchar_t *>(text.data());
    const int size = static_cast<int>(text.size());
    const int needed = ::WideCharToMultiByte(CP_ACP, flags, source, size, nullptr, 0, fallback, nullptr);
    std::string bytes(static_cast<std::size_t>(needed > 0 ? needed : 0), '\0');
    const int written = ::WideCharToMultiByte(CP_ACP, flags, source, size, bytes.data(), needed, fallback, nullptr);
    bytes.resize(static_cast<std::size_t>(written > 0 ? written : 0));
    return bytes;
}

std::optional<platform::Failure> WindowsListerHost::writeNewFile(std::u16string_view path, std::string_view bytes)
{
    const std::u16string name(path);
    const HANDLE file =
        ::CreateFileW(winsupport::wide(name), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return winsupport::failure(::GetLastError());
    DWORD written = 0;
    const bool whole = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size();
    const DWORD error = whole ? ERROR_SUCCESS : ::GetLastError();
    if (!::CloseHandle(file) && whole)
        return winsupport::failure(::GetLastError());
    if (!whole)
        return winsupport::failure(error ? error : ERROR_WRITE_FAULT);
    return std::nullopt;
}

std::optional<platform::Failure> WindowsListerHost::replace(std::u16string_view from, std::u16string_view to)
{
    const std::u16string source(from);
    const std::u16string target(to);
    if (::MoveFileExW(winsupport::wide(source), winsupport::wide(target), MOVEFILE_REPLACE_EXISTING))
        return std::nullopt;
    return winsupport::failure(::GetLastError());
}

void WindowsListerHost::remove(std::u16string_view path)
{
    const std::u16string name(path);
    ::DeleteFileW(winsupport::wide(name));
}

std::u16string WindowsListerHost::temporaryPath()
{
    const std::string name = "d:\\talvero\\dcon-" + std::to_string(::GetCurrentProcessId()) + "-" +
                             std::to_string(::GetTickCount64()) + ".tmp";
    return std::u16string(name.begin(), name.end());
}

std::chrono::steady_clock::time_point WindowsListerHost::now()
{
    return std::chrono::steady_clock::now();
}

void WindowsListerHost::pause(std::chrono::milliseconds duration)
{
    ::Sleep(static_cast<DWORD>(duration.count()));
}

void WindowsListerHost::say(std::u16string_view line, bool error)
{
    winsupport::say(line, error);
}

} // namespace lister
