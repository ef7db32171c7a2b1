#include "shutdownorder.h"

#include <algorithm>

namespace shutcmd {

namespace {

// ERROR_INVALID_PARAMETER: what the log gives as the code of a command line
// that was refused before any call.
constexpr std::uint32_t InvalidParameter = 87;

constexpr std::u16string_view Usage =
    u"shutcmd : red\u00e9marre un ordinateur du r\u00e9seau apr\u00e8s un d\u00e9lai, en montrant un message \u00e0 "
    u"son utilisateur.\r\n"
    u"  shutcmd \\\\NOM /R /T:SECONDES \"MESSAGE\"   red\u00e9marrer NOM dans SECONDES (0 \u00e0 86400) ; les "
    u"applications encore ouvertes \u00e0 la fin du d\u00e9lai sont ferm\u00e9es sans enregistrer\r\n"
    u"  shutcmd \\\\NOM /A                         annuler le red\u00e9marrage en attente de NOM\r\n"
    u"  shutcmd /?                               cette aide\r\n"
    u"Chaque ordre et son r\u00e9sultat sont ajout\u00e9s \u00e0 d:\\talvero\\shutcmd.log.\r\n"
    u"Code de sortie : 0 ordre accept\u00e9, 1 ordre refus\u00e9 par Windows, 2 ligne de commande refus\u00e9e "
    u"(rien n'est envoy\u00e9), 3 ordre accept\u00e9 mais journal non \u00e9crit.";

std::u16string number(unsigned long long value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

char16_t upper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return upper(x) == upper(y); });
}

bool isNameCharacter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-' ||
           c == u'.' || c == u'_';
}

bool isControl(char16_t c)
{
    return c < 0x20 || c == 0x7F;
}

// An argument inside a sentence, its control characters shown as "?".
std::u16string shown(std::u16string_view argument)
{
    std::u16string out = u"\u00ab ";
    for (const char16_t c : argument.substr(0, 80))
        out.push_back(isControl(c) ? u'?' : c);
    return out + (argument.size() > 80 ? u"\u2026 \u00bb" : u" \u00bb");
}

Refusal refuse(std::u16string reason)
{
    return Refusal{std::move(reason)};
}

// "\\NAME" to NAME, or why it is no computer.
std::variant<std::u16string, Refusal> computerOf(std::u16string_view argument)
{
    if (!argument.starts_with(u"\\\\"))
        return refuse(u"le premier argument doit \u00eatre l'ordinateur, \\\\NOM, et non " + shown(argument));
    const std::u16string_view name = argument.substr(2);
    if (name.empty())
        return refuse(u"nom d'ordinateur manquant apr\u00e8s \\\\");
    if (name.size() > MaxComputerNameLength || !std::all_of(name.begin(), name.end(), isNameCharacter))
        return refuse(u"nom d'ordinateur mal \u00e9crit : " + shown(name) +
                      u" (lettres, chiffres, \u00ab - \u00bb, \u00ab . \u00bb et \u00ab _ \u00bb, 255 au plus)");
    return std::u16string(name);
}

// "/T:120" to 120, or why it is no delay.
std::variant<std::uint32_t, Refusal> delayOf(std::u16string_view option)
{
    const std::u16string_view digits = option.substr(3);
    const bool decimal = !digits.empty() && digits.size() <= 9 &&
                         std::all_of(digits.begin(), digits.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
    std::uint32_t seconds = 0;
    for (const char16_t c : decimal ? digits : std::u16string_view())
        seconds = seconds * 10 + std::uint32_t(c - u'0');
    if (!decimal || seconds > MaxDelaySeconds)
        return refuse(u"d\u00e9lai mal \u00e9crit : " + shown(option) + u" ; attendu /T: suivi de 0 \u00e0 " +
                      number(MaxDelaySeconds) + u" secondes");
    return seconds;
}

std::u16string withoutControls(std::u16string_view text)
{
    std::u16string out(text);
    std::replace_if(out.begin(), out.end(), isControl, u' ');
    return out;
}

} // namespace

Order parseOrder(const std::vector<std::u16string> &arguments)
{
    if (arguments.empty())
        return refuse(u"aucun argument ; attendu \\\\NOM /R /T:SECONDES \"MESSAGE\" ou \\\\NOM /A");
    if (arguments.size() == 1 && arguments[0] == u"/?")
        return UsageRequest{};

    auto computer = computerOf(arguments[0]);
    if (auto *refusal = std::get_if<Refusal>(&computer))
        return std::move(*refusal);
    std::u16string &name = std::get<std::u16string>(computer);

    if (arguments.size() >= 2 && equalsIgnoringCase(arguments[1], u"/A")) {
        if (arguments.size() > 2)
            return refuse(u"argument en trop apr\u00e8s /A : " + shown(arguments[2]));
        return AbortOrder{std::move(name)};
    }

    RestartOrder order{std::move(name), 0, {}};
    bool restart = false;
    bool delay = false;
    std::size_t i = 1;
    for (; i < arguments.size() && arguments[i].starts_with(u'/'); ++i) {
        const std::u16string &option = arguments[i];
        if (equalsIgnoringCase(option, u"/R")) {
            if (restart)
                return refuse(u"option /R donn\u00e9e deux fois");
            restart = true;
        } else if (option.size() >= 3 && equalsIgnoringCase(option.substr(0, 3), u"/T:")) {
            if (delay)
                return refuse(u"option /T: donn\u00e9e deux fois");
            auto seconds = delayOf(option);
            if (auto *refusal = std::get_if<Refusal>(&seconds))
                return std::move(*refusal);
            order.delaySeconds = std::get<std::uint32_t>(seconds);
            delay = true;
        } else {
            return refuse(u"option inconnue : " + shown(option) + u" ; attendu /R, /T:SECONDES ou /A");
        }
    }
    if (!restart)
        return refuse(u"option /R manquante : cet outil ne fait que red\u00e9marrer");
    if (!delay)
        return refuse(u"option /T:SECONDES manquante");
    if (i == arguments.size())
        return refuse(u"message manquant : le dernier argument, entre guillemets, est montr\u00e9 \u00e0 "
                      u"l'utilisateur");
    order.message = arguments[i];
    if (order.message.empty())
        return refuse(u"message vide");
    if (std::any_of(order.message.begin(), order.message.end(), isControl))
        return refuse(u"le message doit tenir sur une ligne, sans tabulation");
    if (order.message.size() > MaxMessageLength)
        return refuse(u"message de plus de " + number(MaxMessageLength) + u" caract\u00e8res");
    if (i + 1 != arguments.size())
        return refuse(u"argument en trop apr\u00e8s le message : " + shown(arguments[i + 1]) +
                      u" (un message qui contient des blancs se met entre guillemets)");
    return order;
}

RestartCall restartCall(const RestartOrder &order)
{
    return RestartCall{u"\\\\" + order.computer, order.message, order.delaySeconds, true, true, PlannedReason};
}

std::u16string logLine(std::u16string_view time, std::u16string_view computer, std::u16string_view asked,
                       const Outcome &outcome)
{
    const std::u16string code = number(outcome.code);
    std::u16string line = withoutControls(time);
    for (const std::u16string_view field : {computer, asked, std::u16string_view(code), std::u16string_view(outcome.text)})
        line += u'\t' + withoutControls(field);
    return line;
}

int run(const std::vector<std::u16string> &arguments, ShutdownHost &host)
{
    const Order order = parseOrder(arguments);
    if (std::holds_alternative<UsageRequest>(order)) {
        host.say(Usage, false);
        return 0;
    }

    std::u16string computer = u"-";
    std::u16string asked;
    Outcome outcome;
    int exitCode = 0;
    if (const auto *refusal = std::get_if<Refusal>(&order)) {
        for (const std::u16string &argument : arguments)
            asked += (asked.empty() ? u"" : u" ") + argument;
        asked = u"ligne refus\u00e9e : " + asked;
        outcome = Outcome{InvalidParameter, refusal->reason};
        host.say(u"shutcmd : " + refusal->reason + u". Rien n'est envoy\u00e9 ; shutcmd /? pour l'aide.", true);
        exitCode = 2;
    } else if (const auto *restart = std::get_if<RestartOrder>(&order)) {
        computer = restart->computer;
        asked = u"red\u00e9marrage dans " + number(restart->delaySeconds) + u" s, applications ferm\u00e9es";
        outcome = host.restart(restartCall(*restart));
    } else {
        computer = std::get<AbortOrder>(order).computer;
        asked = u"annulation du red\u00e9marrage";
        outcome = host.abort(u"\\\\" + computer);
    }
    if (exitCode == 0) {
        exitCode = outcome.code == 0 ? 0 : 1;
        host.say(u"shutcmd : " + computer + u" : " + asked + u" : " +
                     (outcome.code == 0 ? u"accept\u00e9" : u"refus\u00e9, erreur " + number(outcome.code)) +
                     u" (" + outcome.text + u").",
                 exitCode != 0);
    }
    if (const auto failure = host.appendToLog(logLine(host.timestamp(), computer, asked, outcome))) {
        host.say(u"shutcmd : journal " + std::u16string(LogPath) + u" non \u00e9crit : erreur " +
                     number(std::uint32_t(failure->number)) + u", " + failure->description + u".",
                 true);
        if (exitCode == 0)
            exitCode = 3;
    }
    return exitCode;
}

} // namespace shutcmd
