#pragma once
// The files a run leaves for its caller (--summary, --key-map): checked before anything runs,
// so that a run is never made only to lose its report, and at the end either complete or
// reported, never a truncated or empty file that passes for a report.

#include <QByteArray>
#include <QString>

// Raises EUsageError "OPTION: cannot write "PATH": reason" when the file cannot be written;
// a file that was not there before is not left behind. A pipe or a device is judged by its
// permissions alone: opening a pipe would wait for a reader, and closing it again would end
// the reader's input.
void CheckOutputFileWritable(const QString& option, const QString& path);

// A report file in the making. A regular file (or a new one) is written to a temporary file
// beside it that takes its place on Finish, synced first, so a reader never sees half of it
// and a failure leaves the file as it was. What exists and is no regular file (/dev/null,
// /dev/stdout, a named pipe) is never replaced: what is written is held (in memory, then in
// a temporary file) and written into it on Finish, opened then without waiting for a reader,
// so the run never waits on it. The same goes for a regular file whose folder takes no new
// file; that one is emptied when it cannot be written whole.
// Writing to a pipe whose reader has gone relies on SIGPIPE being ignored (the runner does).
class TOutputFile {
public:
    explicit TOutputFile(const QString& path);
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // A failed write is kept and reported by Finish; nothing is written after it.
    void Write(const QByteArray& bytes);
    // Puts the file in place; returns the reason when it cannot ("No space left on device"),
    // or an empty text.
    QString Finish();

private:
    void Flush();
    bool OpenHeldCopy();
    QString Replace();
    QString CopyInto();
    QString CopyHeldBytes(int target);
    void Fail(const QString& reason);

    QString Path;
    bool Direct = false;     // written into the file itself at the end, not replaced
    bool Regular = false;    // the file is (or will be) a regular file
    QString TemporaryPath;   // the temporary file beside the file, when it is replaced
    int Temporary = -1;      // that file, or the held copy of a file written at the end
    QByteArray Pending;      // written but not yet passed on
    QString Failure;         // the first failure; nothing is written after it
    bool Finished = false;
};
