#include "plainreader.h"

#include <fstream>

namespace {

std::string trimRight(const std::string &text)
{
    const std::size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string trimLeft(const std::string &text)
{
    const std::size_t start = text.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : text.substr(start);
}

std::string columns(const std::string &line, std::size_t first, std::size_t last)
{
    return first - 1 < line.size() ? line.substr(first - 1, last - first + 1) : std::string();
}

} // namespace

bool readPlain(const std::string &path, PlainRoom &room)
{
    static const std::array<std::string, 12> names{"PC3001", "PC3002", "PC3003", "PC3004", "PC3005", "PC3006",
                                                   "PC3007", "PC3008", "PC3009", "PC3010", "PC3011", "PC3012"};
    for (PlainTile &tile : room.tiles)
        tile.state = PlainTile::NoSession;
    room.listpc.clear();

    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] != '\\')
            continue;
        const std::string computer = trimRight(columns(line, 3, 19));
        const std::string user = trimLeft(trimRight(columns(line, 17, 36)));
        const std::string untrailed = trimRight(line);
        const std::string idle = trimLeft(untrailed.size() > 12 ? untrailed.substr(untrailed.size() - 12) : untrailed);
        room.listpc.push_back(computer);
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (computer != names[i] || user.empty())
                continue;
            PlainTile &tile = room.tiles[i];
            const bool idleMark = tile.state == PlainTile::InSessionIdle || idle.compare(0, 2, "00") != 0;
            tile.state = idleMark ? PlainTile::InSessionIdle : PlainTile::InSession;
            tile.userName = user;
            tile.idleTime = idle;
        }
    }
    return true;
}
