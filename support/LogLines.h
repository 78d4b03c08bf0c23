#pragma once
// The lines of the diagnostic log: "<time stamp>: <message>" ended by CR LF, and a message
// repeated in a row collapsed into its last line with the count of its occurrences.

#include <QByteArray>
#include <QString>
#include <optional>

class TLogFile;

// What the log remembers of the line it wrote last, to collapse a repetition into it.
struct TRepeatState {
    // The last message written; none before the first line, so that no real message,
    // whatever its bytes, can be mistaken for a repetition of it.
    std::optional<QByteArray> LastMessage;
    QString LastFile;        // the file the last line went to
    QByteArray LastLine;     // the last line as written, to put it back when its rewrite fails
    qint64 LastLineStart = 0;
    qint64 LastLineEnd = 0;  // where the last line ended, to see that nobody changed the file
    qint32 Occurrences = 0;
};

// dd.MM.yyyy hh:mm:ss.zzz, local time.
QByteArray TimeStamp();

// Writes the message into the file as a new line, or as the counted rewrite of the last
// line when it repeats the last message (an empty message right after an empty one writes
// nothing). A write that fails leaves the file as it was before the call, as far as the file
// still lets it be put back, and throws; the state then still describes that file.
void WriteLogLine(TRepeatState& state, TLogFile& file, const QString& fileName, const QByteArray& message);
