// The host layer as the model sees it, the same on every host: the command
// line split, and the Host contract through the real systemHost().

#include "hosttesting.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <variant>

TEST_CASE("splitCommandLine splits as the Microsoft C runtime does")
{
    const struct {
        const char *name;
        std::u16string_view line;
        std::vector<std::u16string> words;
    } rows[] = {
        {"program alone", u"d:\\talvero\\session.bat", {u"d:\\talvero\\session.bat"}},
        {"shutdown command",
         u"d:\\talvero\\shutcmd.exe \\\\PC3001 /R /T:120 \"Attention : l'école ferme à midi. Vraiment.\"",
         {u"d:\\talvero\\shutcmd.exe", u"\\\\PC3001", u"/R", u"/T:120", u"Attention : l'école ferme à midi. Vraiment."}},
        {"blanks and tabs separate, runs of them count once", u"a \t  b\t\tc", {u"a", u"b", u"c"}},
        {"quotes inside a word", u"a\"b c\"d e", {u"ab cd", u"e"}},
        {"odd backslashes before a quote give a literal quote", u"a\\\"b c\\\\\\\"d", {u"a\"b", u"c\\\"d"}},
        {"even backslashes before a quote are halved", u"\"a\\\\\" b", {u"a\\", u"b"}},
        {"backslashes not before a quote stay", u"\\\\srv\\x c:\\dir\\", {u"\\\\srv\\x", u"c:\\dir\\"}},
        {"doubled quote inside quotes", u"\"a\"\"b c\" d", {u"a\"b c", u"d"}},
        {"empty quoted argument", u"a \"\" b", {u"a", u"", u"b"}},
        {"unclosed quote runs to the end", u"a \"b c", {u"a", u"b c"}},
        {"blanks only", u"  \t ", {}},
        {"empty", u"", {}},
    };
    for (const auto &row : rows) {
        INFO(std::string(row.name));
        CHECK(platform::splitCommandLine(row.line) == row.words);
    }
}

TEST_CASE("systemHost reads a file of drive D: with its size and last write")
{
    const TrialDrive drive;
    const std::string bytes = "\\\\PC3001               USER01               00:00:01\r\n\xE9t\xE9\r\n";
    REQUIRE(TrialDrive::write(u"dcon.txt", bytes));
    const auto writtenAt = std::chrono::system_clock::now();

    platform::Host &host = platform::systemHost();
    auto opened = host.openForReading(u"d:\\talvero\\dcon.txt");
    REQUIRE(std::holds_alternative<std::unique_ptr<platform::InputFile>>(opened));
    platform::InputFile &file = *std::get<std::unique_ptr<platform::InputFile>>(opened);
    // Less than a line at a time, so that reads go on where the last ended.
    const std::string read = readToEnd(file, 7);
    CHECK(read == bytes);
    CHECK(file.size() == bytes.size());
    // File times may be coarser than the clock, and the drive's clock apart
    // from it by a little.
    const auto age = std::chrono::duration_cast<std::chrono::seconds>(writtenAt - file.lastWritten());
    CHECK(age.count() >= -5);
    CHECK(age.count() <= 60);
    CHECK(host.displayPath(u"d:\\talvero\\dcon.txt") == TrialDrive::path(u"dcon.txt").u16string());

    // The last write, not the creation or the last access: the list set
    // three days back reads as written then, to the second.
    const auto threeDaysBack =
        std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now() - std::chrono::days(3));
    std::filesystem::last_write_time(TrialDrive::path(u"dcon.txt"),
                                     std::chrono::file_clock::from_sys(threeDaysBack));
    auto reopened = host.openForReading(u"d:\\talvero\\dcon.txt");
    REQUIRE(std::holds_alternative<std::unique_ptr<platform::InputFile>>(reopened));
    CHECK(std::chrono::floor<std::chrono::seconds>(
              std::get<std::unique_ptr<platform::InputFile>>(reopened)->lastWritten()) == threeDaysBack);
}

TEST_CASE("systemHost says why a file or a program is not there")
{
    const TrialDrive drive;
    platform::Host &host = platform::systemHost();
    const auto opened = host.openForReading(u"d:\\talvero\\absent.txt");
    const auto launched = host.launch(u"d:\\talvero\\absent.exe \\\\PC3001 /R");
    const struct {
        const char *name;
        const platform::Failure *failure;
    } rows[] = {
        {"missing file", std::get_if<platform::Failure>(&opened)},
        {"missing program", launched ? &*launched : nullptr},
    };
    for (const auto &row : rows) {
        INFO(std::string(row.name));
        REQUIRE(row.failure);
        CHECK(row.failure->number != 0);
        // The description goes inside a sentence of the status line: one
        // line, no full stop of its own.
        const std::u16string &text = row.failure->description;
        REQUIRE(!text.empty());
        CHECK(text.find_first_of(u"\r\n") == std::u16string::npos);
        CHECK(text.back() != u'.');
    }
}
