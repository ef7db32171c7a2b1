#include "paneldriver.h"

#include "controlids.h"
#include "controls.h"

#include <doctest/doctest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace paneltest {

std::string utf8(const std::wstring &text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring windowsPath(const std::string &buildPath)
{
    std::wstring path(buildPath.begin(), buildPath.end());
    if (!path.empty() && path.front() == L'/') {
        for (wchar_t &c : path)
            if (c == L'/')
                c = L'\\';
        path = L"Z:" + path;
    }
    return path;
}

RoomFolder::RoomFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
    std::filesystem::create_directories(m_root);
}

void RoomFolder::write(const std::wstring &name, const std::string &bytes) const
{
    // Written aside and moved over, as session.bat does: a read never sees half a file.
    const std::filesystem::path part = path(name + L".part");
    {
        std::ofstream file(part, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), std::streamsize(bytes.size()));
        REQUIRE(file.good());
    }
    REQUIRE(MoveFileExW(part.c_str(), path(name).c_str(), MOVEFILE_REPLACE_EXISTING));
}

void RoomFolder::remove(const std::wstring &name) const
{
    std::error_code ignored;
    std::filesystem::remove(path(name), ignored);
}

std::vector<std::filesystem::path> RoomFolder::shutdownRecords() const
{
    std::vector<std::filesystem::path> records;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(m_root, error))
        if (entry.path().extension() == L".rec")
            records.push_back(entry.path());
    return records;
}

void RoomFolder::removeShutdownRecords() const
{
    for (const auto &record : shutdownRecords())
        std::filesystem::remove(record);
}

std::vector<std::wstring> readShutdownRecord(const std::filesystem::path &record)
{
    std::ifstream file(record, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    std::vector<std::wstring> fields;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(L'\0', start)) != std::wstring::npos; start = end + 1)
        fields.push_back(text.substr(start, end - start));
    return fields;
}

std::string sessionLine(const std::wstring &computer, const std::wstring &user, const std::wstring &idle)
{
    std::wstring line = L"\\\\" + computer;
    line.resize(23, L' ');
    line += user;
    if (line.size() < 40)
        line.resize(40, L' ');
    if (line.size() + idle.size() < 52)
        line.resize(52 - idle.size(), L' ');
    line += idle;
    const int size = WideCharToMultiByte(1252, 0, line.data(), int(line.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(std::size_t(size), '\0');
    WideCharToMultiByte(1252, 0, line.data(), int(line.size()), bytes.data(), size, nullptr, nullptr);
    return bytes + "\r\n";
}

namespace {

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK findPanel(HWND window, LPARAM parameter)
{
    auto &search = *reinterpret_cast<WindowSearch *>(parameter);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t className[64]{};
    GetClassNameW(window, className, int(std::size(className)));
    if (processId == search.processId && std::wstring(className) == win32ids::WindowClass) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

Panel::Panel(const std::wstring &program)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + program + L"\"";
    REQUIRE_MESSAGE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &m_process),
                    "cannot start " << utf8(program) << ": error " << GetLastError());
    // The window exists during WM_CREATE, before its controls: it is ready
    // once shown with its last control made.
    const bool ready = waitFor([this] {
        WindowSearch search{m_process.dwProcessId, nullptr};
        EnumWindows(findPanel, reinterpret_cast<LPARAM>(&search));
        m_window = search.found;
        return m_window && IsWindowVisible(m_window) && GetDlgItem(m_window, win32ids::LastControl);
    });
    if (!ready) {
        DWORD code = 0;
        GetExitCodeProcess(m_process.hProcess, &code);
        TerminateProcess(m_process.hProcess, 99);
        FAIL("the panel's window did not appear; process state " << code);
    }
}

Panel::~Panel()
{
    if (!m_ended && WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
        PostMessageW(m_window, WM_COMMAND, win32ids::menuCommand(panel::MenuCommand::Quitter), 0);
        if (WaitForSingleObject(m_process.hProcess, 30000) != WAIT_OBJECT_0)
            TerminateProcess(m_process.hProcess, 99);
    }
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

std::wstring Panel::text(int id) const
{
    const HWND target = control(id);
    wchar_t buffer[1024]{};
    GetWindowTextW(target, buffer, int(std::size(buffer)));
    return buffer;
}

bool Panel::send(HWND target, UINT message, WPARAM wParam, LPARAM lParam) const
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(target, message, wParam, lParam, SMTO_ABORTIFHUNG, 30000, &result) != 0;
}

bool Panel::command(int id) const
{
    return send(m_window, WM_COMMAND, WPARAM(id), 0);
}

bool Panel::tick(int timer) const
{
    return send(m_window, WM_TIMER, WPARAM(win32ids::timer(timer)), 0);
}

bool Panel::click(int station) const
{
    return send(control(win32ids::stationButton(station)), BM_CLICK, 0, 0);
}

HWND Panel::focus() const
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(m_process.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

std::vector<std::wstring> Panel::listItems(int id) const
{
    const HWND list = control(id);
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0);
        std::wstring item(std::size_t(length) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(item.data()));
        item.resize(std::size_t(length));
        items.push_back(item);
    }
    return items;
}

DWORD Panel::waitForExit(std::chrono::milliseconds timeout)
{
    if (WaitForSingleObject(m_process.hProcess, DWORD(timeout.count())) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    m_ended = true;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

} // namespace paneltest
