// The yardstick of scripts/bench-wine: a bare Win32 window with the panel's
// client size (545 x 572 pixels at 96 dpi) and a two-item menu bar, painted
// light yellow, built and started like salle30.exe. It does nothing else.
#include <windows.h>

namespace {

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(RGB(255, 255, 192));
    windowClass.lpszClassName = L"BareWindow";
    RegisterClassW(&windowClass);

    const HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_STRING, 1, L"&Fichier");
    AppendMenuW(bar, MF_STRING, 2, L"&Application");
    RECT frame{0, 0, 545, 572};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, TRUE, 0);
    const HWND window = CreateWindowExW(0, L"BareWindow", L"Bare", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                        frame.right - frame.left, frame.bottom - frame.top, nullptr, bar, instance,
                                        nullptr);
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return int(message.wParam);
}
