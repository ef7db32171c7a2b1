#pragma once
// What the Windows benchmarks share: build paths as Wine's programs name
// them, and the median of a series of rounds.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace benchsupport {

// "/work/build-windows/x.exe" as "Z:\work\build-windows\x.exe", the drive
// under which Wine shows the Linux file system; a Windows path unchanged.
inline std::wstring windowsPath(const char *buildPath)
{
    std::wstring path(buildPath, buildPath + std::strlen(buildPath));
    if (!path.empty() && path.front() == L'/') {
        std::replace(path.begin(), path.end(), L'/', L'\\');
        path = L"Z:" + path;
    }
    return path;
}

// The middle value (the upper one of an even count); `values` not empty.
inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace benchsupport
