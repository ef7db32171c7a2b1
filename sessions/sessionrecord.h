#pragma once

#include <QDebug>
#include <QString>
#include <QStringView>

// What one record line of the session list file yields. Each field may be
// empty. ComputerName has at most 17 characters and no trailing space,
// UserName at most 20 and no space at either end, IdleTime at most 12 and no
// leading space.
struct SessionRecord {
    QString ComputerName;
    QString UserName;
    QString IdleTime;

    friend bool operator==(const SessionRecord &, const SessionRecord &) = default;
};

QDebug operator<<(QDebug debug, const SessionRecord &record);

// The same three fields as views into the line they were cut from; valid only
// while that line is. The reader hands these out so that a line costs no
// allocation unless someone keeps its fields.
struct SessionRecordView {
    QStringView ComputerName;
    QStringView UserName;
    QStringView IdleTime;

    SessionRecord toRecord() const
    {
        return {ComputerName.toString(), UserName.toString(), IdleTime.toString()};
    }
};

// Cuts the three fields out of a record line. Defined for any text: a window
// that runs past the end of the line takes what is there, one that starts past
// it gives empty text. Does not look at column 1.
SessionRecordView cutSessionRecord(QStringView line);
