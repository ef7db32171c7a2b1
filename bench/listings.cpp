#include "listings.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace {

constexpr std::string_view LineEnd = "\r\n";
constexpr std::size_t UserNameColumn = 24;
constexpr std::size_t UserNameWidth = 17;
constexpr std::size_t IdleTimeLastColumn = 52;

std::size_t characterCount(std::string_view utf8)
{
    std::size_t count = 0;
    for (char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

std::string firstCharacters(std::string_view utf8, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t seen = 0; end < utf8.size(); ++end) {
        if ((static_cast<unsigned char>(utf8[end]) & 0xC0) != 0x80 && seen++ == count)
            break;
    }
    return std::string(utf8.substr(0, end));
}

void padTo(std::string &line, std::size_t columns)
{
    const std::size_t count = characterCount(line);
    if (count < columns)
        line.append(columns - count, ' ');
}

void appendRecord(std::string &out, std::string_view computer, std::string_view user, std::string_view idleTime)
{
    std::string line = "\\\\";
    line += computer;
    padTo(line, UserNameColumn - 1);
    line += firstCharacters(user, UserNameWidth);
    padTo(line, IdleTimeLastColumn - idleTime.size());
    line += idleTime;
    out += line;
    out += LineEnd;
}

void appendHeading(std::string &out)
{
    out += "Sessions open on \\\\SRV-TALVERO";
    out += LineEnd;
    out += LineEnd;
    std::string titles = "Computer";
    padTo(titles, UserNameColumn - 1);
    titles += "User name";
    padTo(titles, IdleTimeLastColumn - 9);
    titles += "Idle time";
    out += titles;
    out += LineEnd;
    out += std::string(79, '-');
    out += LineEnd;
}

void appendClosing(std::string &out)
{
    out += LineEnd;
    out += "The command completed successfully.";
    out += LineEnd;
}

// A third of them with letters outside ASCII, as in a French school.
constexpr std::array<std::string_view, 24> Users{
    "jdupont",     "Hélène",          "François",     "m.lefebvre",  "Marie-Noëlle Delacroix", "eleve07",
    "Zoé",         "thomas.garnier",  "Jean Marc Leroy", "prof.info", "a.benali",               "Lucie",
    "kevin.m",     "Sébastien.Moreau", "stagiaire2",  "Ophélie",     "n.nguyen",               "Bérénice Castelnau",
    "gaetan",      "Chloé.L",         "eleve23",      "Ys",          "Administrateur",         "l.garnier",
};

// splitmix64: the same sequence on every machine.
std::uint64_t next(std::uint64_t &state)
{
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::string idleTimeText(std::uint64_t seconds)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02llu:%02llu:%02llu", static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned long long>(seconds / 60 % 60), static_cast<unsigned long long>(seconds % 60));
    return text;
}

} // namespace

std::string trialRoomListing()
{
    std::string out;
    appendHeading(out);
    appendRecord(out, "PC1207", "jdupont", "00:03:12");
    appendRecord(out, "PC3001", "thomas.garnier", "00:00:41");
    appendRecord(out, "PC3003", "Marie-Noëlle Delacroix-Beauregard", "00:01:05");
    appendRecord(out, "PC3004", "François", "00:12:41");
    appendRecord(out, "PC3006", "eleve07", "00:07:30");
    appendRecord(out, "PC3007", "Lucie", "00:00:09");
    appendRecord(out, "PC3009", "a.benali", "02:47:10");
    appendRecord(out, "PC3011", "Zoé", "00:22:54");
    appendRecord(out, "SRV-TALVERO", "Administrateur", "00:31:02");
    appendClosing(out);
    return out;
}

std::string siteListing(std::uint64_t minimumBytes, std::uint64_t seed)
{
    std::string out;
    out.reserve(minimumBytes + 256);
    appendHeading(out);
    std::uint64_t state = seed;
    char computer[16];
    while (out.size() < minimumBytes) {
        const std::uint64_t draw = next(state);
        // One session in eight is in room 30; a few are on servers.
        const unsigned room = draw % 8 == 0 ? 30 : 10 + unsigned(draw >> 8) % 36;
        if ((draw >> 16) % 50 == 0)
            std::snprintf(computer, sizeof computer, "SRV-%02u", room);
        else
            std::snprintf(computer, sizeof computer, "PC%02u%02u", room, 1 + unsigned(draw >> 24) % 24);
        const std::string_view user = Users[(draw >> 32) % Users.size()];
        // Most users are active; one in six has been idle for over an hour.
        const std::uint64_t idle = (draw >> 40) % 6 == 0 ? 3600 + (draw >> 44) % 20000 : (draw >> 44) % 3600;
        appendRecord(out, computer, user, idleTimeText(idle));
    }
    appendClosing(out);
    return out;
}
