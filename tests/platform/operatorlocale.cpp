#include "operatorlocale.h"

#include <doctest/doctest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

// The folder of the locales made for this program, made at the first call
// and removed when the program ends.
const std::string &madeLocales()
{
    struct Folder {
        std::string path;
        Folder()
        {
            const char *temporary = std::getenv("TMPDIR");
            path = std::string(temporary && *temporary ? temporary : "/tmp") + "/salle30-locales.XXXXXX";
            if (!::mkdtemp(path.data()))
                path.clear();
        }
        ~Folder()
        {
            std::error_code ignored;
            if (!path.empty())
                std::filesystem::remove_all(path, ignored);
        }
    };
    static const Folder folder;
    return folder.path;
}

// Makes fr_FR.<code set> with localedef unless it is made already: whether
// it is there.
bool makeLocale(const std::string &name)
{
    const std::string &folder = madeLocales();
    if (folder.empty())
        return false;
    if (std::filesystem::exists(folder + '/' + name))
        return true;
    const std::size_t dot = name.find('.');
    const std::string command = "localedef -i " + name.substr(0, dot) + " -f " + name.substr(dot + 1) + ' ' +
                                folder + '/' + name + " 2>&1";
    std::FILE *output = ::popen(command.c_str(), "r");
    if (!output)
        return false;
    std::string said;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, output))
        said += buffer;
    const int status = ::pclose(output);
    // localedef warns, and exits with 1, over a few definitions that glibc's
    // own sources leave incomplete; the locale is made all the same.
    INFO("localedef said: " << said);
    CHECK_MESSAGE(WIFEXITED(status), command);
    return std::filesystem::exists(folder + '/' + name);
}

} // namespace

UsingLocale::UsingLocale(const OperatorLocale &locale)
{
    const std::string name = locale.name;
    const bool made = name.starts_with("C.") || makeLocale(name);
    REQUIRE_MESSAGE(made, "localedef cannot make " << name << " (Debian package locales)");
    if (name.starts_with("C."))
        ::unsetenv("LOCPATH");
    else
        ::setenv("LOCPATH", madeLocales().c_str(), 1);
    ::setenv("LANG", name.c_str(), 1);
    ::setenv("LC_ALL", name.c_str(), 1);
    REQUIRE_MESSAGE(std::setlocale(LC_ALL, ""), "no locale " << name);
}

UsingLocale::~UsingLocale()
{
    ::unsetenv("LOCPATH");
    ::setenv("LANG", "C.UTF-8", 1);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    std::setlocale(LC_ALL, "");
}

std::u16string errorText(int number, std::u16string_view description)
{
    const std::string digits = std::to_string(number);
    return u"erreur " + std::u16string(digits.begin(), digits.end()) + u", " + std::u16string(description);
}
