// shutcmd.exe's command line and run, on a host that records what would be
// sent to Windows instead of sending it.

#include "shutdownorder.h"
#include "textprinters.h"

#include <doctest/doctest.h>

#include <optional>

using namespace shutcmd;

namespace {

constexpr std::u16string_view Warning = u"Attention cet ordinateur se relance dans 2 minutes. Vous devez fermer "
                                        u"votre session et sortir de la salle dans les 5 minutes.";

// What reached the system, in order: "restart ..." or "abort \\NAME".
class RecordingHost : public ShutdownHost {
public:
    std::vector<RestartCall> restarts;
    std::vector<std::u16string> aborts;
    std::vector<std::u16string> logLines;
    std::vector<std::u16string> said;
    bool saidError = false;
    Outcome answer{0, u"L'opération a réussi"};
    std::optional<platform::Failure> logFailure;

    Outcome restart(const RestartCall &call) override
    {
        restarts.push_back(call);
        return answer;
    }
    Outcome abort(std::u16string_view machine) override
    {
        aborts.emplace_back(machine);
        return answer;
    }
    std::u16string timestamp() override { return u"2026-12-07T09:30:00+01:00"; }
    std::optional<platform::Failure> appendToLog(std::u16string_view line) override
    {
        if (logFailure)
            return logFailure;
        logLines.emplace_back(line);
        return std::nullopt;
    }
    void say(std::u16string_view line, bool error) override
    {
        said.emplace_back(line);
        saidError = saidError || error;
    }
};

std::vector<std::u16string> splitAtTabs(std::u16string_view line)
{
    std::vector<std::u16string> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find(u'\t', start);
        fields.emplace_back(line.substr(start, tab - start));
        if (tab == std::u16string_view::npos)
            return fields;
        start = tab + 1;
    }
}

} // namespace

TEST_CASE("each command line sends one call, or none, and gives its exit code")
{
    const std::u16string warning(Warning);
    struct Row {
        const char *name;
        std::vector<std::u16string> arguments;
        std::optional<RestartCall> restart;
        std::optional<std::u16string> abort;
        int exitCode;
    };
    const RestartCall panelCall{u"\\\\PC3001", warning, 120, true, true, 0x80000000};
    const Row rows[] = {
        // The panel's 169-character command line, split as the C runtime does.
        {"the panel's line", platform::splitCommandLine(u"d:\\talvero\\shutcmd.exe \\\\PC3001 /R /T:120 \"" + warning +
                                                        u"\""),
         panelCall, {}, 0},
        {"options in lower case", {u"\\\\PC3001", u"/r", u"/t:120", warning}, panelCall, {}, 0},
        {"delay before restart", {u"\\\\PC3001", u"/T:120", u"/R", warning}, panelCall, {}, 0},
        {"no delay", {u"\\\\PC3012", u"/R", u"/T:0", u"essai"}, RestartCall{u"\\\\PC3012", u"essai", 0}, {}, 0},
        {"a day", {u"\\\\PC3012", u"/R", u"/T:86400", u"essai"}, RestartCall{u"\\\\PC3012", u"essai", 86400}, {}, 0},
        {"a DNS name", {u"\\\\pc3004.lycee.local", u"/R", u"/T:5", u"x"},
         RestartCall{u"\\\\pc3004.lycee.local", u"x", 5}, {}, 0},
        {"cancel", {u"\\\\PC3001", u"/A"}, {}, u"\\\\PC3001", 0},
        {"cancel in lower case", {u"\\\\PC3001", u"/a"}, {}, u"\\\\PC3001", 0},
        {"usage", {u"/?"}, {}, {}, 0},
        {"nothing", {}, {}, {}, 2},
        {"program only, split from the panel's path",
         platform::splitCommandLine(u"d:\\talvero\\shutcmd.exe"), {}, {}, 2},
        {"name without backslashes", {u"PC3001", u"/R", u"/T:120", warning}, {}, {}, 2},
        {"one backslash", {u"\\PC3001", u"/R", u"/T:120", warning}, {}, {}, 2},
        {"backslashes alone", {u"\\\\", u"/R", u"/T:120", warning}, {}, {}, 2},
        {"blank in the name", {u"\\\\PC 3001", u"/R", u"/T:120", warning}, {}, {}, 2},
        {"third backslash", {u"\\\\\\PC3001", u"/R", u"/T:120", warning}, {}, {}, 2},
        {"name of 256 characters", {u"\\\\" + std::u16string(256, u'A'), u"/R", u"/T:1", u"x"}, {}, {}, 2},
        {"unknown option", {u"\\\\PC3001", u"/S", u"/T:120", warning}, {}, {}, 2},
        {"/R missing", {u"\\\\PC3001", u"/T:120", warning}, {}, {}, 2},
        {"/T missing", {u"\\\\PC3001", u"/R", warning}, {}, {}, 2},
        {"/R twice", {u"\\\\PC3001", u"/R", u"/R", u"/T:120", warning}, {}, {}, 2},
        {"/T twice", {u"\\\\PC3001", u"/R", u"/T:1", u"/T:120", warning}, {}, {}, 2},
        {"/T without colon", {u"\\\\PC3001", u"/R", u"/T120", warning}, {}, {}, 2},
        {"/T: without digits", {u"\\\\PC3001", u"/R", u"/T:", warning}, {}, {}, 2},
        {"/T: negative", {u"\\\\PC3001", u"/R", u"/T:-1", warning}, {}, {}, 2},
        {"/T: with a sign", {u"\\\\PC3001", u"/R", u"/T:+120", warning}, {}, {}, 2},
        {"/T: not a number", {u"\\\\PC3001", u"/R", u"/T:2min", warning}, {}, {}, 2},
        {"/T: past a day", {u"\\\\PC3001", u"/R", u"/T:86401", warning}, {}, {}, 2},
        {"/T: past 32 bits", {u"\\\\PC3001", u"/R", u"/T:4294967416", warning}, {}, {}, 2},
        {"message missing", {u"\\\\PC3001", u"/R", u"/T:120"}, {}, {}, 2},
        {"message empty", {u"\\\\PC3001", u"/R", u"/T:120", u""}, {}, {}, 2},
        {"message on two lines", {u"\\\\PC3001", u"/R", u"/T:120", u"a\r\nb"}, {}, {}, 2},
        {"message of 513 characters", {u"\\\\PC3001", u"/R", u"/T:120", std::u16string(513, u'x')}, {}, {}, 2},
        // The warning without quotes arrives as 22 words.
        {"message not quoted", platform::splitCommandLine(u"\\\\PC3001 /R /T:120 " + warning), {}, {}, 2},
        {"argument after the message", {u"\\\\PC3001", u"/R", u"/T:120", warning, u"x"}, {}, {}, 2},
        {"argument after /A", {u"\\\\PC3001", u"/A", u"/R"}, {}, {}, 2},
        {"/A without a name", {u"/A"}, {}, {}, 2},
        {"/? after other arguments", {u"\\\\PC3001", u"/?"}, {}, {}, 2},
    };
    for (const Row &row : rows) {
        CAPTURE(row.name);
        std::vector<std::u16string> arguments = row.arguments;
        // splitCommandLine keeps the program in front; the C runtime's argv
        // after it is what the tool reads.
        if (!arguments.empty() && arguments.front().ends_with(u"shutcmd.exe"))
            arguments.erase(arguments.begin());
        RecordingHost host;
        CHECK(run(arguments, host) == row.exitCode);
        CHECK(host.restarts == (row.restart ? std::vector{*row.restart} : std::vector<RestartCall>{}));
        CHECK(host.aborts == (row.abort ? std::vector{*row.abort} : std::vector<std::u16string>{}));
        CHECK(host.saidError == (row.exitCode != 0));
        // Every run but the usage leaves one line in the log.
        CHECK(host.logLines.size() == (row.arguments == std::vector<std::u16string>{u"/?"} ? 0u : 1u));
    }
}

TEST_CASE("the panel's line is 169 characters and gives the warning whole")
{
    const std::u16string line =
        u"d:\\talvero\\shutcmd.exe \\\\PC3001 /R /T:120 \"" + std::u16string(Warning) + u"\"";
    REQUIRE(line.size() == 169);
    std::vector<std::u16string> arguments = platform::splitCommandLine(line);
    arguments.erase(arguments.begin());
    const Order order = parseOrder(arguments);
    REQUIRE(std::holds_alternative<RestartOrder>(order));
    CHECK(std::get<RestartOrder>(order).message.size() == 125);
}

TEST_CASE("the log's line names the time, the station, the order and Windows' answer")
{
    struct Row {
        const char *name;
        std::vector<std::u16string> arguments;
        Outcome answer;
        std::vector<std::u16string> fields;
        int exitCode;
    };
    const Row rows[] = {
        {"restart taken", {u"\\\\PC3004", u"/R", u"/T:120", u"essai"}, {0, u"L'opération a réussi"},
         {u"2026-12-07T09:30:00+01:00", u"PC3004", u"redémarrage dans 120 s, applications fermées", u"0",
          u"L'opération a réussi"},
         0},
        {"restart refused", {u"\\\\PC3004", u"/R", u"/T:120", u"essai"}, {53, u"Le chemin réseau n'a pas été trouvé"},
         {u"2026-12-07T09:30:00+01:00", u"PC3004", u"redémarrage dans 120 s, applications fermées", u"53",
          u"Le chemin réseau n'a pas été trouvé"},
         1},
        {"cancel refused", {u"\\\\PC3004", u"/A"}, {1116, u"Aucun arrêt du système n'est en cours"},
         {u"2026-12-07T09:30:00+01:00", u"PC3004", u"annulation du redémarrage", u"1116",
          u"Aucun arrêt du système n'est en cours"},
         1},
        // A line with a tab inside an argument stays one line of five fields.
        {"command line refused", {u"\\\\PC\t3004", u"/R"}, Outcome{0, u""},
         {u"2026-12-07T09:30:00+01:00", u"-", u"ligne refusée : \\\\PC 3004 /R", u"87",
          u"nom d'ordinateur mal écrit : « PC?3004 » (lettres, chiffres, « - », « . » et « _ », 255 au plus)"},
         2},
    };
    for (const Row &row : rows) {
        CAPTURE(row.name);
        RecordingHost host;
        host.answer = row.answer;
        CHECK(run(row.arguments, host) == row.exitCode);
        REQUIRE(host.logLines.size() == 1);
        CHECK(splitAtTabs(host.logLines[0]) == row.fields);
    }
}

TEST_CASE("an order taken whose log cannot be written is no success")
{
    RecordingHost host;
    host.logFailure = platform::Failure{5, u"Accès refusé"};
    CHECK(run({u"\\\\PC3004", u"/R", u"/T:120", u"essai"}, host) == 3);
    CHECK(host.restarts.size() == 1);
    CHECK(host.saidError);
    REQUIRE(!host.said.empty());
    CHECK(host.said.back().find(u"erreur 5, Accès refusé") != std::u16string::npos);

    RecordingHost refused;
    refused.answer = {5, u"Accès refusé"};
    refused.logFailure = platform::Failure{5, u"Accès refusé"};
    CHECK(run({u"\\\\PC3004", u"/A"}, refused) == 1);
}

TEST_CASE("the usage is French and says that applications are closed")
{
    RecordingHost host;
    REQUIRE(run({u"/?"}, host) == 0);
    REQUIRE(host.said.size() == 1);
    for (const std::u16string_view expected : {u"shutcmd \\\\NOM /R /T:SECONDES \"MESSAGE\"", u"shutcmd \\\\NOM /A",
                                               u"fermées sans enregistrer", u"d:\\talvero\\shutcmd.log"})
        CHECK(host.said[0].find(expected) != std::u16string::npos);
}
