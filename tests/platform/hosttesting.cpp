#include "hosttesting.h"

#include <fstream>
#include <iterator>

std::filesystem::path TrialDrive::path(std::u16string_view name)
{
    return platform::hostPath(u"d:\\talvero\\" + std::u16string(name));
}

bool TrialDrive::write(std::u16string_view name, std::string_view bytes)
{
    std::ofstream file(path(name), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), std::streamsize(bytes.size()));
    file.close();
    return bool(file);
}

std::optional<std::string> TrialDrive::read(std::u16string_view name)
{
    std::ifstream file(path(name), std::ios::binary);
    if (!file)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string readToEnd(platform::InputFile &file, std::size_t chunk)
{
    std::string read;
    std::vector<char> buffer(chunk);
    for (;;) {
        const auto got = file.read(buffer);
        REQUIRE(std::holds_alternative<std::size_t>(got));
        if (std::get<std::size_t>(got) == 0)
            return read;
        read.append(buffer.data(), std::get<std::size_t>(got));
    }
}
