#include "windowtesting.h"

#include "controlids.h"
#include "station.h"

namespace windowtest {

std::string RecordingTimers::take()
{
    std::string out;
    for (const std::string &order : m_orders)
        out += (out.empty() ? "" : "; ") + order;
    m_orders.clear();
    return out;
}

Room::Room(const char *sessionList)
{
    if (sessionList)
        host.writeFile(SessionList, sessionList);
    REQUIRE(panel.create(SW_SHOW));
    pump();
}

void Room::refresh(const char *sessionList)
{
    if (sessionList)
        host.writeFile(SessionList, sessionList);
    else
        host.removeFile(SessionList);
    command(win32ids::menuCommand(panel::MenuCommand::Refresh));
}

void Room::pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        if (message.message != WM_QUIT)
            panel.process(message);
}

std::vector<int> Room::takeShutdowns()
{
    std::vector<int> stations;
    for (; m_launchesSeen < host.launched.size(); ++m_launchesSeen) {
        const std::u16string &line = host.launched[m_launchesSeen];
        for (int station = 1; station <= room::StationCount; ++station)
            if (line.starts_with(u"d:\\talvero\\shutcmd.exe \\\\" + room::stationName(station) + u" "))
                stations.push_back(station);
    }
    return stations;
}

std::u16string Room::status() const
{
    wchar_t text[1024]{};
    GetWindowTextW(control(win32ids::StatusLine), text, int(std::size(text)));
    return std::u16string(text, text + lstrlenW(text));
}

Picture::Picture(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    m_width = client.right;
    m_height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = m_width;
    info.bmiHeader.biHeight = -m_height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    REQUIRE(bitmap != nullptr);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    const auto *first = static_cast<const std::uint32_t *>(bits);
    m_pixels.assign(first, first + std::size_t(m_width) * std::size_t(m_height));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

COLORREF Picture::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    const std::uint32_t pixel = m_pixels[std::size_t(y) * std::size_t(m_width) + std::size_t(x)];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

std::vector<int> placeOf(HWND window, HWND child)
{
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

} // namespace windowtest
