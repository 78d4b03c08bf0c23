// The import claim of an SQLite database: a lock on a file beside it that every process
// sees and that the system drops with the process that holds it.

#include "db/sqlite/SqliteImportClaim.h"

#include "db/DatabaseInUse.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

[[noreturn]] void RaiseCannotClaim(const QString& file, const QString& reason) {
    throw EDatabaseError(QStringLiteral("Не удалось создать файл блокировки импорта \"%1\": %2").arg(file, reason));
}

#ifdef Q_OS_WIN

// Opened for no one else and deleted when closed: the system closes it when the process ends.
class TClaimFileHold : public TImportClaimHold {
public:
    explicit TClaimFileHold(const QString& file) {
        Handle = CreateFileW(reinterpret_cast<LPCWSTR>(file.utf16()), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (Handle != INVALID_HANDLE_VALUE) return;
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED)
            throw EDatabaseClaimed(ClaimedByAnotherImportText());
        RaiseCannotClaim(file, QStringLiteral("ошибка Windows %1").arg(error));
    }
    ~TClaimFileHold() override { CloseHandle(Handle); }

private:
    HANDLE Handle = INVALID_HANDLE_VALUE;
};

#else

bool SameFile(int descriptor, const QString& file) {
    struct stat held {}, named {};
    if (fstat(descriptor, &held) != 0) return false;
    if (stat(QFile::encodeName(file).constData(), &named) != 0) return false;
    return held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// An flock lock on the file. The holder removes the file when it lets go, so a process that
// opened the file just before may lock a file that no longer has the name: the lock counts
// only while the name still leads to the locked file.
class TClaimFileHold : public TImportClaimHold {
public:
    explicit TClaimFileHold(const QString& file) : File(file) {
        const QByteArray name = QFile::encodeName(file);
        for (;;) {
            Descriptor = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
            // A lock file another user made is locked through a descriptor for reading.
            if (Descriptor < 0 && errno == EACCES) Descriptor = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
            if (Descriptor < 0) RaiseCannotClaim(file, QString::fromLocal8Bit(std::strerror(errno)));
            if (::flock(Descriptor, LOCK_EX | LOCK_NB) != 0) {
                const int error = errno;
                ::close(Descriptor);
                if (error == EWOULDBLOCK) throw EDatabaseClaimed(ClaimedByAnotherImportText());
                RaiseCannotClaim(file, QString::fromLocal8Bit(std::strerror(error)));
            }
            if (SameFile(Descriptor, file)) break;
            ::close(Descriptor);
        }
        // Who holds it, for a person who finds the file.
        const QByteArray note = QByteArray("road-import pid ") + QByteArray::number(::getpid()) + '\n';
        if (::ftruncate(Descriptor, 0) == 0) {
            const ssize_t written = ::write(Descriptor, note.constData(), static_cast<size_t>(note.size()));
            (void)written;
        }
    }
    ~TClaimFileHold() override {
        ::unlink(QFile::encodeName(File).constData());
        ::close(Descriptor);
    }

private:
    QString File;
    int Descriptor = -1;
};

// The file's identity: another name of it (a hard link) names the same lock. The system's
// lock folder is shared by every user of the machine; the temporary folder serves without one.
QString IdentityLockFile(const QString& databaseFile) {
    struct stat identity {};
    if (::stat(QFile::encodeName(databaseFile).constData(), &identity) != 0)
        RaiseCannotClaim(databaseFile, QString::fromLocal8Bit(std::strerror(errno)));
    const QString folder = QFileInfo(QStringLiteral("/run/lock")).isWritable() ? QStringLiteral("/run/lock")
                                                                                : QDir::tempPath();
    return folder + QStringLiteral("/road-import-%1-%2.lock")
                        .arg(static_cast<qulonglong>(identity.st_dev))
                        .arg(static_cast<qulonglong>(identity.st_ino));
}

// Two locks: the file beside the database, which every machine that shares the folder sees,
// and the file of its identity, which every name of it on this machine leads to.
class TSqliteClaimHold : public TImportClaimHold {
public:
    explicit TSqliteClaimHold(const QString& databaseFile)
        : BesideDatabase(databaseFile + QStringLiteral(".import-lock")), OfIdentity(IdentityLockFile(databaseFile)) {}

private:
    TClaimFileHold BesideDatabase;
    TClaimFileHold OfIdentity;
};

#endif

}  // namespace

std::unique_ptr<TImportClaimHold> TakeSqliteImportClaim(const QString& databaseFile) {
#ifdef Q_OS_WIN
    return std::make_unique<TClaimFileHold>(databaseFile + QStringLiteral(".import-lock"));
#else
    return std::make_unique<TSqliteClaimHold>(databaseFile);
#endif
}
