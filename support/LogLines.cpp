#include "support/LogLines.h"

#include "support/Log.h"
#include "support/LogFile.h"

#include <QDateTime>

#include <cstdio>

namespace {

const char LineEnd[] = "\r\n";

QByteArray FirstLine(const QByteArray& message) { return TimeStamp() + ": " + message + LineEnd; }

QByteArray RepeatedLine(const QByteArray& message, qint32 count) {
    const QString word = ChoosePlural(count, QStringLiteral("раз"), QStringLiteral("раза"), QStringLiteral("раз"));
    return TimeStamp() + ": " + message + " (сообщение повторилось " + QByteArray::number(count) + " " + word.toUtf8() +
           ")" + LineEnd;
}

// Writes the line at offset; when that fails, cuts off what part of it was written and puts
// back what stood there before (the line a repetition replaces), so that no half line stays.
void WriteWhole(TLogFile& file, qint64 offset, const QByteArray& line, const QByteArray& replaced) {
    try {
        file.Write(line);
    } catch (...) {
        try {
            file.CutAt(offset);
            if (!replaced.isEmpty()) file.Write(replaced);
        } catch (...) {
            // the file refuses even that; the first failure is the one reported
        }
        throw;
    }
}

// A message other than the last one starts a new line at the end of the file.
void AppendNewLine(TRepeatState& state, TLogFile& file, const QString& fileName, const QByteArray& message,
                   qint64 fileSize) {
    const QByteArray line = FirstLine(message);
    WriteWhole(file, fileSize, line, QByteArray());
    state.LastMessage = message;
    state.LastFile = fileName;
    state.LastLine = line;
    state.LastLineStart = fileSize;
    state.LastLineEnd = fileSize + line.size();
    state.Occurrences = 1;
}

// A repetition replaces the last line with one that carries the count. When the file is no
// longer as this process left it (another file name, deleted, shortened or written to by
// someone else), cutting at the old offset would destroy foreign lines, so the counted
// line is appended instead and becomes the line that later repetitions replace.
void RewriteRepeatedLine(TRepeatState& state, TLogFile& file, const QString& fileName, const QByteArray& message,
                         qint64 fileSize) {
    const bool fileAsLeft = state.LastFile == fileName && state.LastLineEnd == fileSize;
    const qint64 start = fileAsLeft ? state.LastLineStart : fileSize;
    if (fileAsLeft) file.CutAt(start);
    const QByteArray line = RepeatedLine(message, state.Occurrences + 1);
    WriteWhole(file, start, line, fileAsLeft ? state.LastLine : QByteArray());
    state.LastFile = fileName;
    state.LastLine = line;
    state.LastLineStart = start;
    state.LastLineEnd = start + line.size();
    state.Occurrences += 1;
}

}  // namespace

// The local date and time up to the second are worked out once a second: doing it for every
// line cost more than writing the line.
QByteArray TimeStamp() {
    static qint64 second = -1;
    static QByteArray upToSecond;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now / 1000 != second) {
        second = now / 1000;
        upToSecond = QDateTime::fromSecsSinceEpoch(second).toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")).toUtf8();
    }
    char millis[8];
    std::snprintf(millis, sizeof millis, ".%03d", static_cast<int>(now % 1000));
    return upToSecond + millis;
}

void WriteLogLine(TRepeatState& state, TLogFile& file, const QString& fileName, const QByteArray& message) {
    const qint64 fileSize = file.SeekToEnd();
    if (!state.LastMessage || *state.LastMessage != message)
        AppendNewLine(state, file, fileName, message, fileSize);
    else if (!message.isEmpty())
        RewriteRepeatedLine(state, file, fileName, message, fileSize);
}

QString ChoosePlural(int n, const QString& one, const QString& few, const QString& many) {
    const qint64 value = n < 0 ? -static_cast<qint64>(n) : n;  // -INT_MIN does not fit an int
    if (value >= 5 && value <= 20) return many;
    switch (value % 10) {
    case 1:
        return one;
    case 2:
    case 3:
    case 4:
        return few;
    default:
        return many;
    }
}
