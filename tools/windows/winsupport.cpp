#include "winsupport.h"

namespace winsupport {

namespace {

std::u16string formatted(DWORD flags, HMODULE module, DWORD number)
{
    wchar_t *buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, module, number, 0,
                         reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::u16string text;
    if (length > 0 && buffer)
        text.assign(reinterpret_cast<const char16_t *>(buffer), length);
    if (buffer)
        ::LocalFree(buffer);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\r' || text.back() == u'\n'))
        text.pop_back();
    if (text.size() >= 2 && text.back() == u'.' && text[text.size() - 2] != u'.')
        text.pop_back();
    return text;
}

} // namespace

std::u16string describe(DWORD number)
{
    std::u16string text = formatted(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, number);
    // NERR_BASE to MAX_NERR: the network's own messages.
    if (text.empty() && number >= 2100 && number <= 2999) {
        if (const HMODULE messages = ::LoadLibraryExW(L"netmsg.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
            text = formatted(FORMAT_MESSAGE_FROM_HMODULE, messages, number);
            ::FreeLibrary(messages);
        }
    }
    if (text.empty()) {
        const std::string digits = std::to_string(number);
        text = u"erreur syst\u00e8me " + std::u16string(digits.begin(), digits.end());
    }
    return text;
}

void say(std::u16string_view line, bool error)
{
    const HANDLE out = ::GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE)
        return;
    const std::u16string text = std::u16string(line) + u"\r\n";
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(out, &mode)) {
        ::WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    } else {
        const std::string bytes = platform::toUtf8(text);
        ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
}

std::vector<std::u16string> arguments(int argc, wchar_t **argv)
{
    std::vector<std::u16string> out;
    for (int i = 1; i < argc; ++i)
        out.push_back(fromWide(argv[i]));
    return out;
}

} // namespace winsupport
