#include "paneldriver.h"

#include "controlids.h"
#include "controls.h"
#include "platform.h"

#include <doctest/doctest.h>

namespace paneltest {

std::string utf8(const std::wstring &text)
{
    return platform::toUtf8(std::u16string(text.begin(), text.end()));
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
    const bool ready = waitUntil([this] {
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
