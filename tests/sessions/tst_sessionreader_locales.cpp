// The session list reader in the code pages of POSIX locales: UTF-8, and
// GB18030, a double-byte code page whose later bytes may be ASCII.

#include "readerchecks.h"
#include "sessionlistreader.h"

#include <doctest/doctest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include <langinfo.h>
#include <unistd.h>

using namespace readerchecks;

namespace {

// Decoding follows LC_CTYPE while this lives.
class CodePage {
public:
    explicit CodePage(const char *locale) : m_ok(std::setlocale(LC_CTYPE, locale) != nullptr) {}
    ~CodePage() { std::setlocale(LC_CTYPE, "C"); }
    CodePage(const CodePage &) = delete;
    CodePage &operator=(const CodePage &) = delete;
    bool ok() const { return m_ok; }

private:
    bool m_ok;
};

// glibc ships no locale for GB18030: one is made in a temporary folder, the
// POSIX locale over that code set (iconv decodes it in full, the map need
// list ASCII only). Empty when localedef cannot make it.
std::filesystem::path makeGb18030Locale()
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("salle30-locale-" + std::to_string(std::rand()) + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream charmap(folder / "charmap");
    charmap << "<code_set_name> GB18030\n<mb_cur_min> 1\n<mb_cur_max> 4\nCHARMAP\n";
    char entry[32];
    for (int c = 0; c < 0x80; ++c) {
        std::snprintf(entry, sizeof entry, "<U%04X> \\x%02x\n", c, c);
        charmap << entry;
    }
    charmap << "END CHARMAP\n";
    charmap.close();
    // -c: the locale lacks categories that LC_CTYPE does not need, which
    // localedef warns of with a status of 1; setlocale() tells whether
    // LC_CTYPE came out.
    const std::string command = "localedef -c -i POSIX -f '" + (folder / "charmap").string() + "' '" +
                                (folder / "trial").string() + "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    if (status == -1 || !std::filesystem::exists(folder / "trial" / "LC_CTYPE")) {
        std::filesystem::remove_all(folder);
        return {};
    }
    return folder;
}

} // namespace

TEST_CASE("UTF-8 record lines")
{
    const CodePage utf8("C.UTF-8");
    REQUIRE(utf8.ok());
    struct Row {
        const char *name;
        std::string line;
        SessionRecord expected;
    };
    const Row rows[] = {
        {"accent in the user name", sessionLine("PC3003", "Hélène", "00:00:05"), {u"PC3003", u"Hélène", u"00:00:05"}},
        {"accent in the computer name", sessionLine("SALLE-É", "USER", "00:00:06"), {u"SALLE-É", u"USER", u"00:00:06"}},
        {"accent in column 19", "\\\\PC3002          é    USER", {u"PC3002          é", u"é    USER", u"é    USER"}},
        {"accent in column 20", "\\\\PC3002           é   USER", {u"PC3002", u"é   USER", u"é   USER"}},
        {"byte that is no UTF-8", "\\\\PC3003\xff", {u"PC3003\uFFFD", u"", u"\\\\PC3003\uFFFD"}},
        {"character cut short at the end", "\\\\PC3003\xE2\x82",
         {u"PC3003\uFFFD\uFFFD", u"", u"\\\\PC3003\uFFFD\uFFFD"}},
    };
    for (const Row &row : rows) {
        SUBCASE(row.name) { CHECK(parseSessionList(row.line) == std::vector{row.expected}); }
    }
}

// UTF-8 repairs a cut anywhere, so runs may be of any length.
TEST_CASE("long UTF-8 lines in pieces of any size give the whole lines' cut")
{
    const CodePage utf8("C.UTF-8");
    REQUIRE(utf8.ok());
    // é, €, a character outside the BMP, a continuation byte alone, a byte
    // never valid, a lead byte alone, a character cut short.
    checkBoundedCut({" ", "A", "@", "0", ":", "\\", "\t", "\n", std::string(1, '\0'), "\xC3\xA9", "\xE2\x82\xAC",
                     "\xF0\x9F\x98\x80", "\x80", "\xFF", "\xC3", "\xE2\x82"},
                    1, false);
}

// A double-byte code page relies on the character starts that the bytes
// prove: runs end with blanks.
TEST_CASE("long GB18030 lines in pieces of any size give the whole lines' cut")
{
    const std::filesystem::path folder = makeGb18030Locale();
    if (folder.empty()) {
        MESSAGE("localedef cannot make a GB18030 locale here: not checked");
        return;
    }
    ::setenv("LOCPATH", folder.c_str(), 1);
    {
        const CodePage gb18030("trial");
        REQUIRE(gb18030.ok());
        REQUIRE(std::string(::nl_langinfo(CODESET)) == "GB18030");
        {
            // Its last characters but two are a run of double-byte characters
            // that ends a tail's length (208 bytes, at the smallest limits)
            // from the end: the tail must start at the blank before it, not
            // in the middle of a character.
            std::string line = "\\\\PC3001" + std::string(600, ' ') + "\xB0";
            for (int i = 0; i < 103; ++i)
                line += "\xB0\xA1";
            line += "\xA1 12";
            const SessionRecord expected = cutSessionRecord(platform::decodeSystemText(line)).toRecord();
            REQUIRE(expected.IdleTime.size() == 12);
            CHECK(parseSessionList(line, {0, 0}) == std::vector{expected});

            // Double-byte characters whose second byte is ASCII ('@', 'A'),
            // whose bytes could pair either way (B0 A1 A1 B0), lead bytes
            // alone, and four-byte characters whose second and fourth bytes
            // are digits.
            checkBoundedCut({" ", "A", "@", "0", ":", "\\", "\t", "\n", std::string(1, '\0'), "\x81\x40", "\xB0\xA1",
                             "\xA1\xB0", "\x81" "A", "\x81", "\xFF", "\x80", "\x81\x30\x81\x30", "\x95\x32\x82\x36",
                             "\x81\x30", "\x81\x30\x81"},
                            5, true);
        }
    }
    ::unsetenv("LOCPATH");
    std::filesystem::remove_all(folder);
}
