#include "sessionlister.h"

#include <algorithm>

namespace lister {

namespace {

constexpr std::u16string_view Usage =
    u"sesslist : \u00e9crit dans d:\\talvero\\dcon.txt la liste des sessions ouvertes sur un serveur.\r\n"
    u"  sesslist              les sessions de cet ordinateur\r\n"
    u"  sesslist \\\\SERVEUR    les sessions du serveur SERVEUR\r\n"
    u"Code de sortie : 0 liste \u00e9crite, 1 liste non \u00e9crite (dcon.txt inchang\u00e9), 2 ligne de commande "
    u"refus\u00e9e.";

std::u16string number(long long value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string describe(const platform::Failure &failure)
{
    return u"erreur " + number(failure.number) + u", " + failure.description;
}

bool isNameCharacter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-' ||
           c == u'.' || c == u'_';
}

} // namespace

bool mayPassSoon(const platform::Failure &failure)
{
    // ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION.
    return failure.number == 5 || failure.number == 32 || failure.number == 33;
}

std::optional<platform::Failure> replaceFile(ListerHost &host, std::u16string_view from, std::u16string_view to)
{
    const auto start = host.now();
    for (;;) {
        std::optional<platform::Failure> failure = host.replace(from, to);
        if (!failure)
            return std::nullopt;
        if (!mayPassSoon(*failure) || host.now() - start >= ReplaceWindow) {
            host.remove(from);
            return failure;
        }
        host.pause(ReplacePause);
    }
}

std::variant<ListerArguments, std::u16string> parseListerArguments(const std::vector<std::u16string> &arguments)
{
    ListerArguments parsed;
    if (arguments.empty())
        return parsed;
    if (arguments.size() == 1 && arguments[0] == u"/?") {
        parsed.action = ListerArguments::Action::Usage;
        return parsed;
    }
    if (arguments.size() > 1)
        return u"un seul argument attendu, le serveur (\\\\SERVEUR), et non " + number(long(arguments.size()));
    const std::u16string &server = arguments[0];
    const std::u16string_view name = std::u16string_view(server).substr(std::min<std::size_t>(2, server.size()));
    if (!server.starts_with(u"\\\\") || name.empty() || name.size() > 255 ||
        !std::all_of(name.begin(), name.end(), isNameCharacter))
        return u"serveur mal \u00e9crit : \u00ab " + server + u" \u00bb ; attendu \\\\SERVEUR";
    parsed.server = server;
    return parsed;
}

int runLister(const std::vector<std::u16string> &arguments, ListerHost &host)
{
    const auto parsed = parseListerArguments(arguments);
    if (const auto *refusal = std::get_if<std::u16string>(&parsed)) {
        host.say(u"sesslist : " + *refusal + u". Aucune liste \u00e9crite ; sesslist /? pour l'aide.", true);
        return 2;
    }
    const ListerArguments &request = std::get<ListerArguments>(parsed);
    if (request.action == ListerArguments::Action::Usage) {
        host.say(Usage, false);
        return 0;
    }

    const std::u16string where = request.server.empty() ? u"cet ordinateur" : request.server;
    auto listed = host.sessions(request.server);
    if (const auto *failure = std::get_if<platform::Failure>(&listed)) {
        host.say(u"sesslist : sessions de " + where + u" illisibles : " + describe(*failure) +
                     u". dcon.txt est inchang\u00e9.",
                 true);
        return 1;
    }
    const NameResolver resolve = [&host](std::u16string_view address) { return host.hostName(address); };
    const std::vector<ListedSession> sessions = listedSessions(std::get<0>(listed), resolve);
    const std::string bytes = host.encode(listText(request.server, sessions));

    const std::u16string temporary = host.temporaryPath();
    if (const auto failure = host.writeNewFile(temporary, bytes)) {
        host.remove(temporary);
        host.say(u"sesslist : " + temporary + u" non \u00e9crit : " + describe(*failure) +
                     u". dcon.txt est inchang\u00e9.",
                 true);
        return 1;
    }
    if (const auto failure = replaceFile(host, temporary, ListPath)) {
        host.say(u"sesslist : " + std::u16string(ListPath) + u" non remplac\u00e9 : " + describe(*failure) +
                     u". Il est inchang\u00e9.",
                 true);
        return 1;
    }
    host.say(u"sesslist : " + number(long(sessions.size())) + u" session(s) de " + where + u" \u00e9crites dans " +
                 std::u16string(ListPath) + u".",
             false);
    return 0;
}

} // namespace lister
