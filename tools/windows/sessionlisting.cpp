#include "sessionlisting.h"

#include "sessionlistformat.h"

#include <algorithm>
#include <map>

namespace lister {

namespace {

constexpr std::u16string_view LineEnd = u"\r\n";

char16_t upper(char16_t c)
{
    if ((c >= u'a' && c <= u'z') || (c >= u'\u00E0' && c <= u'\u00FE' && c != u'\u00F7'))
        return static_cast<char16_t>(c - 0x20);
    return c == u'\u00FF' ? u'\u0178' : c;
}

bool isHexDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Four dot-separated decimal numbers, or hexadecimal groups with colons (an
// IPv4 tail and a %zone allowed): anything else is taken for a name.
bool isAddress(std::u16string_view text)
{
    if (text.empty())
        return false;
    if (text.find(u':') != std::u16string_view::npos) {
        const std::u16string_view address = text.substr(0, text.find(u'%'));
        return std::all_of(address.begin(), address.end(),
                           [](char16_t c) { return isHexDigit(c) || c == u':' || c == u'.'; });
    }
    int dots = 0;
    int digits = 0;
    for (const char16_t c : text) {
        if (c == u'.') {
            if (digits == 0)
                return false;
            ++dots;
            digits = 0;
        } else if (c >= u'0' && c <= u'9' && digits < 3) {
            ++digits;
        } else {
            return false;
        }
    }
    return dots == 3 && digits > 0;
}

std::u16string firstLabelUpper(std::u16string_view name)
{
    std::u16string label(name.substr(0, name.find(u'.')));
    std::transform(label.begin(), label.end(), label.begin(), upper);
    return label;
}

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return upper(x) == upper(y); });
}

void appendTwoDigits(std::u16string &text, unsigned value)
{
    text.push_back(static_cast<char16_t>(u'0' + value / 10));
    text.push_back(static_cast<char16_t>(u'0' + value % 10));
}

// Pads `line` with blanks up to `column` characters, or adds one blank when
// it is already that long, so that two fields never touch.
void padTo(std::u16string &line, std::size_t column)
{
    line.resize(std::max(line.size() + (line.size() >= column ? 1 : 0), column), sessionlist::Blank);
}

std::u16string withoutAstralCharacters(std::u16string_view text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c < 0xE000) {
            out.push_back(u'?');
            if (c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
                ++i;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

} // namespace

std::u16string idleTimeText(std::uint32_t seconds)
{
    constexpr std::uint32_t MaxHours = 99999;
    const std::uint32_t hours = std::min(seconds / 3600, MaxHours);
    if (hours == MaxHours)
        seconds = std::min(seconds, MaxHours * 3600 + 3599);
    const std::string digits = std::to_string(hours);
    std::u16string text(std::max<std::size_t>(2, digits.size()) - digits.size(), u'0');
    text.append(digits.begin(), digits.end());
    text.push_back(u':');
    appendTwoDigits(text, seconds / 60 % 60);
    text.push_back(u':');
    appendTwoDigits(text, seconds % 60);
    return text;
}

std::u16string userWithoutDomain(std::u16string_view user)
{
    if (const std::size_t slash = user.rfind(u'\\'); slash != std::u16string_view::npos)
        user.remove_prefix(slash + 1);
    return std::u16string(user.substr(0, user.find(u'@')));
}

std::u16string stationName(std::u16string_view client, const NameResolver &resolve)
{
    while (client.starts_with(u'\\'))
        client.remove_prefix(1);
    if (isAddress(client)) {
        const std::optional<std::u16string> name = resolve ? resolve(client) : std::nullopt;
        if (!name || name->empty() || isAddress(*name))
            return std::u16string(client);
        return firstLabelUpper(*name);
    }
    return firstLabelUpper(client);
}

bool isLeftOut(std::u16string_view user)
{
    const std::u16string name = userWithoutDomain(user);
    return name.empty() || name.ends_with(u'$') || equalsIgnoringCase(name, u"ANONYMOUS LOGON");
}

std::vector<ListedSession> listedSessions(const std::vector<ClientSession> &sessions, const NameResolver &resolve)
{
    // Station name to its least idle session.
    std::map<std::u16string, std::pair<std::uint32_t, ListedSession>> stations;
    for (const ClientSession &session : sessions) {
        if (isLeftOut(session.user))
            continue;
        std::u16string computer = stationName(session.client, resolve);
        const auto found = stations.find(computer);
        if (found != stations.end() && found->second.first <= session.idleSeconds)
            continue;
        ListedSession listed{computer, userWithoutDomain(session.user), idleTimeText(session.idleSeconds)};
        stations.insert_or_assign(std::move(computer), std::pair{session.idleSeconds, std::move(listed)});
    }
    std::vector<ListedSession> listed;
    listed.reserve(stations.size());
    for (auto &[name, entry] : stations)
        listed.push_back(std::move(entry.second));
    return listed;
}

std::u16string recordLine(const ListedSession &session)
{
    using namespace sessionlist;
    std::u16string line(2, RecordMark);
    line += withoutAstralCharacters(session.computer);
    padTo(line, WrittenUserNameFirstColumn - 1);
    line += withoutAstralCharacters(session.user).substr(0, WrittenUserNameWidth);
    // Blanks up to the idle time's column, or at least enough that the last
    // 12 characters hold the idle time and blanks only.
    const std::size_t idleWidth = std::min<std::size_t>(session.idleTime.size(), IdleTimeWidth);
    line.resize(std::max(std::size_t(WrittenIdleTimeLastColumn), line.size() + IdleTimeWidth) - idleWidth, Blank);
    return line += session.idleTime.substr(0, idleWidth);
}

std::u16string listText(std::u16string_view server, const std::vector<ListedSession> &sessions)
{
    using namespace sessionlist;
    std::u16string text = u"Sessions ouvertes sur ";
    text += server.empty() ? u"cet ordinateur" : std::u16string(server);
    text += LineEnd;
    text += LineEnd;
    std::u16string heading = u"  Poste";
    padTo(heading, WrittenUserNameFirstColumn - 1);
    heading += u"Utilisateur";
    padTo(heading, WrittenIdleTimeLastColumn - 7);
    heading += u"Inactif";
    text += heading + std::u16string(LineEnd);
    text += std::u16string(WrittenIdleTimeLastColumn, u'-') + std::u16string(LineEnd);
    for (const ListedSession &session : sessions)
        text += recordLine(session) + std::u16string(LineEnd);
    return text;
}

} // namespace lister
