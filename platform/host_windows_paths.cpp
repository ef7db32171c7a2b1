// The Windows side of what takes a std::filesystem::path, in a file of its
// own: the program itself never uses them, and a use of std::filesystem::path
// anywhere in an object that the program links brings the C++ library's
// locales with it (half of salle30.exe).

#include "platform.h"

namespace platform {

std::filesystem::path hostPath(std::u16string_view windowsPath)
{
    return std::filesystem::path(std::wstring(windowsPath.begin(), windowsPath.end()));
}

std::variant<ReadOnlyFile, Failure> ReadOnlyFile::open(const std::filesystem::path &path)
{
    const std::wstring &native = path.native();
    return openWindowsPath(std::u16string(native.begin(), native.end()));
}

} // namespace platform
