#include "cli/OutputFile.h"

#include "cli/CliOptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Bytes held in memory before they go to the file being made.
constexpr qsizetype HeldInMemory = 64 * 1024;

QString SystemReason(int error = errno) { return QString::fromLocal8Bit(std::strerror(error)); }

// Writes every byte; false with errno set when the system refuses.
bool WriteAll(int file, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t written = ::write(file, data, static_cast<size_t>(size));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = EIO;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool WriteAll(int file, const QByteArray& bytes) { return WriteAll(file, bytes.constData(), bytes.size()); }

// What is at the path, links followed; false when nothing is.
bool StatOf(const QString& path, struct stat& info) { return ::stat(QFile::encodeName(path).constData(), &info) == 0; }

// The permissions a new file gets from the process's umask.
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool CloseChecked(int& file) {
    const int closing = file;
    file = -1;
    return ::close(closing) == 0 || errno == EINTR;  // after EINTR the descriptor is gone all the same
}

}  // namespace

void CheckOutputFileWritable(const QString& option, const QString& path) {
    const auto refuse = [&](const QString& reason) {
        throw EUsageError(QStringLiteral("%1: cannot write \"%2\": %3").arg(option, path, reason));
    };
    struct stat info {};
    if (StatOf(path, info) && S_ISDIR(info.st_mode)) refuse(QStringLiteral("it is a folder"));
    if (StatOf(path, info) && !S_ISREG(info.st_mode)) {
        if (::access(QFile::encodeName(path).constData(), W_OK) != 0) refuse(SystemReason());
        return;
    }
    QFile file(path);
    const bool existed = file.exists();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) refuse(file.errorString());
    file.close();
    if (!existed) file.remove();  // it is written when the run has ended
}

TOutputFile::TOutputFile(const QString& path) : Path(path) {
    struct stat info {};
    const bool exists = StatOf(path, info);
    Regular = !exists || S_ISREG(info.st_mode);
    if (!Regular) {
        Direct = true;
        return;
    }
    // A link is followed: the file it leads to is the one replaced.
    if (exists) Path = QFileInfo(path).canonicalFilePath();
    const QFileInfo target(Path);
    QByteArray pattern =
        QFile::encodeName(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    Temporary = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (Temporary >= 0) {
        TemporaryPath = QFile::decodeName(pattern);
        if (::fchmod(Temporary, exists ? (info.st_mode & 07777) : NewFileMode()) != 0) Fail(SystemReason());
        return;
    }
    // A folder the user may not add files to, the file itself writable: written into directly.
    if (errno == EACCES || errno == EPERM) Direct = true;
    else Fail(SystemReason());
}

TOutputFile::~TOutputFile() {
    if (Temporary >= 0) ::close(Temporary);
    if (!TemporaryPath.isEmpty()) ::unlink(QFile::encodeName(TemporaryPath).constData());
}

void TOutputFile::Fail(const QString& reason) {
    if (Failure.isEmpty()) Failure = reason;
    Pending.clear();
}

void TOutputFile::Write(const QByteArray& bytes) {
    if (!Failure.isEmpty() || Finished) return;
    Pending += bytes;
    if (Pending.size() >= HeldInMemory) Flush();
}

void TOutputFile::Flush() {
    if (Pending.isEmpty() || !Failure.isEmpty()) return;
    if (Temporary < 0 && !OpenHeldCopy()) return;
    if (!WriteAll(Temporary, Pending)) {
        const QString reason = SystemReason();
        Fail(Direct ? QStringLiteral("its temporary copy in %1 cannot be written: %2").arg(QDir::tempPath(), reason)
                    : reason);
        return;
    }
    Pending.clear();
}

// A file written at the end holds what comes before then in a temporary file of its own,
// gone from the folder at once, so that a large report never sits in memory.
bool TOutputFile::OpenHeldCopy() {
    QByteArray pattern = QFile::encodeName(QDir::tempPath() + QStringLiteral("/road-import-report.XXXXXX"));
    Temporary = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (Temporary < 0) {
        Fail(QStringLiteral("no temporary copy can be made in %1: %2").arg(QDir::tempPath(), SystemReason()));
        return false;
    }
    ::unlink(pattern.constData());
    return true;
}

QString TOutputFile::Finish() {
    if (Finished) return Failure;
    Finished = true;
    if (Failure.isEmpty()) Failure = Direct ? CopyInto() : Replace();
    // What is left of the making goes now: a file that did not take its place is removed.
    if (Temporary >= 0) ::close(Temporary);
    Temporary = -1;
    if (!TemporaryPath.isEmpty()) ::unlink(QFile::encodeName(TemporaryPath).constData());
    TemporaryPath.clear();
    return Failure;
}

// The temporary file, synced and closed, takes the file's place; its folder is synced so
// that the new name outlasts a crash.
QString TOutputFile::Replace() {
    Flush();
    if (!Failure.isEmpty()) return Failure;
    if (::fsync(Temporary) != 0) return SystemReason();
    if (!CloseChecked(Temporary)) return SystemReason();
    if (::rename(QFile::encodeName(TemporaryPath).constData(), QFile::encodeName(Path).constData()) != 0)
        return SystemReason();
    TemporaryPath.clear();
    const int folder = ::open(QFile::encodeName(QFileInfo(Path).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return QString();
    const bool synced = ::fsync(folder) == 0 || errno == EINVAL;  // some file systems sync no folder
    const int error = errno;
    ::close(folder);
    return synced ? QString() : QStringLiteral("it is in place, but its folder could not be synced: ") + SystemReason(error);
}

// Opened without waiting: a pipe that nobody reads is reported, not waited on. A regular
// file that cannot be written whole is emptied rather than left cut short.
QString TOutputFile::CopyInto() {
    const int flags = O_WRONLY | O_NONBLOCK | O_CLOEXEC | (Regular ? O_CREAT | O_TRUNC : 0);
    int target = ::open(QFile::encodeName(Path).constData(), flags, 0666);
    if (target < 0) {
        struct stat info {};
        if (errno == ENXIO && StatOf(Path, info) && S_ISFIFO(info.st_mode))
            return QStringLiteral("no process has the pipe open for reading");
        return SystemReason();
    }
    ::fcntl(target, F_SETFL, ::fcntl(target, F_GETFL) & ~O_NONBLOCK);
    QString reason = CopyHeldBytes(target);
    if (reason.isEmpty() && Regular && ::fsync(target) != 0) reason = SystemReason();
    if (!reason.isEmpty() && Regular) {
        if (::ftruncate(target, 0) != 0) reason += QStringLiteral("; the file is left cut short");
    }
    if (!CloseChecked(target) && reason.isEmpty()) reason = SystemReason();
    return reason;
}

QString TOutputFile::CopyHeldBytes(int target) {
    if (Temporary >= 0) {
        if (::lseek(Temporary, 0, SEEK_SET) < 0) return SystemReason();
        char buffer[HeldInMemory];
        for (;;) {
            const ssize_t read = ::read(Temporary, buffer, sizeof buffer);
            if (read < 0 && errno == EINTR) continue;
            if (read < 0)
                return QStringLiteral("its temporary copy in %1 cannot be read: %2").arg(QDir::tempPath(), SystemReason());
            if (read == 0) break;
            if (!WriteAll(target, buffer, read)) return SystemReason();
        }
    }
    if (!WriteAll(target, Pending)) return SystemReason();
    Pending.clear();
    return QString();
}
