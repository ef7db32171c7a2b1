#pragma once

#include "sessionrecord.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Receives each record of a session list, in file order. The view is valid
// only during the call.
using SessionRecordSink = std::function<void(const SessionRecordView &)>;

// Turns the bytes of a session list file into records, a chunk at a time, so
// that a file of any size is read in bounded memory: lines that are not
// record lines are skipped as they stream past, never held.
//
// The bytes are 8-bit text in the system's code page. A line ends at CR or at
// CR LF; a lone LF stays in the line. The last line needs no line end.
class SessionListParser {
public:
    explicit SessionListParser(SessionRecordSink sink);

    // Hands every record line completed by these bytes to the sink. A CR at
    // the very end of a chunk is remembered, so CR LF split across two chunks
    // is still one line end.
    void feed(std::string_view bytes);

    // The bytes fed so far end the file: a last line without line end is a
    // line too. The parser may be fed again afterwards, as a new file.
    void finish();

    // Number of record lines handed to the sink so far.
    qsizetype recordCount() const { return m_records; }

private:
    void completeLine(std::string_view line);
    void emitRecordLine(std::string_view line);

    SessionRecordSink m_sink;
    std::string m_partial;   // bytes of a record line not yet ended
    bool m_inLine = false;   // some bytes of the current line were seen
    bool m_skipping = false; // the current line is not a record line
    bool m_afterCr = false;  // the previous chunk ended with CR
    std::u16string m_wide;   // the current record line, decoded
    qsizetype m_records = 0;
};

// Why a session list could not be read: the host's error number and its
// description.
struct ReadFailure {
    int number = 0;
    QString description;

    friend bool operator==(const ReadFailure &, const ReadFailure &) = default;
};

QDebug operator<<(QDebug debug, const ReadFailure &failure);

// Reads the whole file at `path` through a SessionListParser feeding `sink`.
// Opens it for reading only, closes it before returning, never writes it.
// Returns the failure when the file cannot be opened or a read fails; the
// sink may then have seen some records, so callers that must not show half a
// file collect the records first and apply them only on success.
std::optional<ReadFailure> readSessionListFile(const std::filesystem::path &path,
                                               const SessionRecordSink &sink);

// Convenience for tools and tests: every record of a whole file's bytes.
QList<SessionRecord> parseSessionList(std::string_view bytes);
