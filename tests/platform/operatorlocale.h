#pragma once
// The operator's language on a POSIX host. The front-ends take the locale
// from the environment (setlocale(LC_ALL, "")); a test does the same under
// each locale of the table below. glibc ships the French locales as sources
// only: they are made with localedef, once per test program, in a folder of
// its own that LOCPATH names while one of them is in use.

#include <string>
#include <string_view>

// One locale, and glibc's texts for the errors that the panel reports most.
struct OperatorLocale {
    const char *name;
    std::u16string_view noSuchFile;       // ENOENT
    std::u16string_view permissionDenied; // EACCES
    std::u16string_view isADirectory;     // EISDIR
};

// The C locale keeps strerror's English; French comes in UTF-8 and in a
// single-byte code set, whose accented letters are one byte each.
inline constexpr OperatorLocale OperatorLocales[] = {
    {"C.UTF-8", u"No such file or directory", u"Permission denied", u"Is a directory"},
    {"fr_FR.UTF-8", u"Aucun fichier ou dossier de ce type", u"Permission non accordée", u"est un dossier"},
    {"fr_FR.ISO-8859-15", u"Aucun fichier ou dossier de ce type", u"Permission non accordée", u"est un dossier"},
};

// Sets LANG and LC_ALL to `name` and takes the locale from the environment,
// as the panel does at its start, for the life of the object; then the C.UTF-8
// locale again. Fails the test when the locale cannot be had.
class UsingLocale {
public:
    explicit UsingLocale(const OperatorLocale &locale);
    ~UsingLocale();
    UsingLocale(const UsingLocale &) = delete;
    UsingLocale &operator=(const UsingLocale &) = delete;
};

// "erreur 13, Permission non accordée": how the status line names a failure.
std::u16string errorText(int number, std::u16string_view description);
