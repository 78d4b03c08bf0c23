#include "support/LogFile.h"

#include <QFile>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The failed step and the system's reason ("write: No space left on device").
[[noreturn]] void Fail(const char* what) {
#ifdef Q_OS_WIN
    throw std::runtime_error(std::string(what) + ": Windows error " + std::to_string(GetLastError()));
#else
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
#endif
}

}  // namespace

#ifdef Q_OS_WIN

// An existing file is shared for reading only; a new one is created with no sharing.
void TLogFile::Open(const QString& path) {
    const auto name = reinterpret_cast<const wchar_t*>(path.utf16());
    Handle = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (Handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND)
        Handle = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (Handle == INVALID_HANDLE_VALUE) Fail("open");
}

void TLogFile::Close() {
    if (Handle != INVALID_HANDLE_VALUE) CloseHandle(Handle);
    Handle = INVALID_HANDLE_VALUE;
}

qint64 TLogFile::SeekToEnd() {
    LARGE_INTEGER zero{}, position{};
    if (!SetFilePointerEx(Handle, zero, &position, FILE_END)) Fail("seek");
    return position.QuadPart;
}

void TLogFile::CutAt(qint64 offset) {
    LARGE_INTEGER target{};
    target.QuadPart = offset;
    if (!SetFilePointerEx(Handle, target, nullptr, FILE_BEGIN) || !SetEndOfFile(Handle)) Fail("truncate");
}

void TLogFile::Write(const QByteArray& bytes) {
    DWORD written = 0;
    if (!WriteFile(Handle, bytes.constData(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != static_cast<DWORD>(bytes.size()))
        Fail("write");
}

// Opened for each call: the sharing mode then keeps other writers out for that call.
void WithLogFile(const QString& fileName, const std::function<void(TLogFile&)>& write) {
    TLogFile file(fileName);
    write(file);
}

#else

// How long a call waits for another writer of the same file before it gives the file up.
constexpr std::chrono::milliseconds FileBusyWait(500);

// POSIX has no sharing modes; an exclusive advisory lock held for the call keeps the
// writers that take it (other instances of this program) out while this one writes.
void TLogFile::Open(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    do {
        Descriptor = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    } while (Descriptor < 0 && errno == EINTR);
    if (Descriptor < 0) Fail("open");
}

bool TLogFile::StillThere() const {
    struct stat open {};
    return ::fstat(Descriptor, &open) == 0 && open.st_nlink > 0;
}

// A writer that holds the file only ever does so for one line, so a short wait is enough;
// a file held longer counts as unavailable.
void TLogFile::LockAgainstOtherWriters() {
    const auto deadline = std::chrono::steady_clock::now() + FileBusyWait;
    while (::flock(Descriptor, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) Fail("lock");
        if (std::chrono::steady_clock::now() >= deadline) Fail("busy");
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void TLogFile::Unlock() { ::flock(Descriptor, LOCK_UN); }

void TLogFile::Close() {
    if (Descriptor >= 0) ::close(Descriptor);  // closing also releases the lock
    Descriptor = -1;
}

qint64 TLogFile::SeekToEnd() {
    const off_t position = ::lseek(Descriptor, 0, SEEK_END);
    if (position < 0) Fail("seek");
    return position;
}

void TLogFile::CutAt(qint64 offset) {
    if (::lseek(Descriptor, offset, SEEK_SET) < 0 || ::ftruncate(Descriptor, offset) != 0) Fail("truncate");
}

void TLogFile::Write(const QByteArray& bytes) {
    const char* data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(Descriptor, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) Fail("write");
        data += written;
        left -= written;
    }
}

namespace {

// The file written last, open until another one is named, or it is deleted, or a call
// fails: opening and closing it cost more than writing a line. The lock is still held for
// each call alone. Used under the log's lock.
struct TKeptFile {
    std::unique_ptr<TLogFile> File;
    QString Name;
};

TKeptFile& Kept() {
    static TKeptFile* kept = new TKeptFile;
    return *kept;
}

}  // namespace

void WithLogFile(const QString& fileName, const std::function<void(TLogFile&)>& write) {
    TKeptFile& kept = Kept();
    try {
        if (!kept.File || kept.Name != fileName || !kept.File->StillThere()) {
            kept.File.reset();
            kept.File = std::make_unique<TLogFile>(fileName);
            kept.Name = fileName;
        }
        kept.File->LockAgainstOtherWriters();
        struct TUnlock {
            TLogFile& File;
            ~TUnlock() { File.Unlock(); }
        } unlock{*kept.File};
        write(*kept.File);
    } catch (...) {
        kept.File.reset();
        throw;
    }
}

#endif
