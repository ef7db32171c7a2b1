#pragma once
// What the session lister writes into dcon.txt: the sessions that clients
// hold on a server, as the system lists them, turned into the record lines
// that the panel reads. Plain C++: the system's calls are behind ListerHost
// (sessionlister.h), so that all of this runs on any host.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lister {

// One session as the system lists it: the client as it connected (an
// address or a name, with or without its two leading backslashes), the user
// name (maybe with a domain), and the seconds since the client last used it.
struct ClientSession {
    std::u16string client;
    std::u16string user;
    std::uint32_t idleSeconds = 0;

    friend bool operator==(const ClientSession &, const ClientSession &) = default;
};

// One record line of the list, before its columns are laid out.
struct ListedSession {
    std::u16string computer; // station name, or the address that did not resolve
    std::u16string user;     // without its domain
    std::u16string idleTime; // hh:mm:ss

    friend bool operator==(const ListedSession &, const ListedSession &) = default;
};

// The host name of an address (reverse lookup), or nothing when it has none.
using NameResolver = std::function<std::optional<std::u16string>(std::u16string_view address)>;

// "hh:mm:ss", hours in two digits or more; from 100000 hours on, 99999:59:59,
// so that the text always fits the idle time's 12 columns.
std::u16string idleTimeText(std::uint32_t seconds);

// The user name a tile shows: what follows the last backslash of
// DOMAIN\user, what precedes the @ of user@domain.
std::u16string userWithoutDomain(std::u16string_view user);

// The station name of a client: its two leading backslashes dropped; an
// address (IPv4, IPv6) turned into the host name it resolves to, or kept as
// it is when it does not resolve; then the first label of the name, in upper
// case. Letters of Latin-1 are upper-cased too; other characters stay.
std::u16string stationName(std::u16string_view client, const NameResolver &resolve);

// Whether a user name is no user at a station: empty, a computer account
// (ending in $), or the anonymous logon.
bool isLeftOut(std::u16string_view user);

// The sessions to list: computer accounts and anonymous sessions left out;
// one line per station, that of its least idle session, since the panel
// shows the last line that names a station and keeps its idle mark on when
// any line switched it on; sorted by station name.
std::vector<ListedSession> listedSessions(const std::vector<ClientSession> &sessions, const NameResolver &resolve);

// One record line in the reader's fixed columns, without line end.
// Characters outside the Basic Multilingual Plane become one "?" each, so
// that every character of the line is one character in any code page.
// A computer name longer than its 14 columns is written whole, then one
// blank: such a line names no station and its user name is not cut cleanly.
// A user name longer than its 17 columns is cut.
std::u16string recordLine(const ListedSession &session);

// The whole file: a heading (lines that never begin with a backslash), then
// one record line per session, every line ending with CR LF.
std::u16string listText(std::u16string_view server, const std::vector<ListedSession> &sessions);

} // namespace lister
