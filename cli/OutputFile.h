#pragma once
// The files a run leaves for its caller (--summary, --key-map): checked before anything runs,
// so that a run is never made only to lose its report, and written whole or not at all.

#include <QByteArray>
#include <QString>
#include <memory>

class QFileDevice;

// Raises EUsageError "OPTION: cannot write "PATH": reason" when the file cannot be written;
// a file that was not there before is not left behind.
void CheckOutputFileWritable(const QString& option, const QString& path);

// A report file in the making. A regular file (or a new one) is written to a temporary file
// that takes its place on Finish, so a reader never sees half of it; what exists and is no
// regular file (/dev/null, /dev/stdout, a pipe) is written directly, never replaced.
class TOutputFile {
public:
    explicit TOutputFile(const QString& path);
    ~TOutputFile();

    // A failed write is kept and reported by Finish.
    void Write(const QByteArray& bytes);
    // Puts the file in place; returns the reason when it cannot, or an empty text.
    QString Finish();

private:
    std::unique_ptr<QFileDevice> File;
    bool Opened = false;
};
