#pragma once
// The diagnostic log's file on each platform: opened, held against other writers for one
// call, sought, cut and written. Every failing operation throws std::runtime_error naming
// the step and the system's reason ("write: No space left on device").

#include <QByteArray>
#include <QString>
#include <functional>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

class TLogFile {
public:
    explicit TLogFile(const QString& path) { Open(path); }
    ~TLogFile() { Close(); }
    TLogFile(const TLogFile&) = delete;
    TLogFile& operator=(const TLogFile&) = delete;

    // Moves to the end; returns the file's size.
    qint64 SeekToEnd();
    // Cuts the file off at offset and moves there.
    void CutAt(qint64 offset);
    // Writes every byte at the current position.
    void Write(const QByteArray& bytes);
#ifndef Q_OS_WIN
    // Whether the open file is still there (not deleted).
    bool StillThere() const;
    void LockAgainstOtherWriters();
    void Unlock();
#endif

private:
    void Open(const QString& path);
    void Close();
#ifdef Q_OS_WIN
    HANDLE Handle = INVALID_HANDLE_VALUE;
#else
    int Descriptor = -1;
#endif
};

// Hands write the log file of that name, held against other writers until it returns.
// Called under the log's lock. What write or the file throws passes on.
void WithLogFile(const QString& fileName, const std::function<void(TLogFile&)>& write);
