#pragma once
// The session list read the straightforward way, as a yardstick for the
// panel's reader: std::getline over an ifstream, substr for each field, a
// std::string for every computer listed. Bytes are taken for characters and
// no code page is decoded, so it does less than the panel's reader on lines
// with accented letters.

#include <array>
#include <string>
#include <vector>

struct PlainTile {
    enum State { NoSession, InSession, InSessionIdle } state = NoSession;
    std::string userName;
    std::string idleTime;
};

struct PlainRoom {
    std::vector<std::string> listpc;
    std::array<PlainTile, 12> tiles;
};

// Resets the tiles, empties listpc and reads the file at `path` into them.
// False when the file cannot be opened.
bool readPlain(const std::string &path, PlainRoom &room);
