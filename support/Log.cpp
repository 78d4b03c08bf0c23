#include "support/Log.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

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

std::uint8_t LogLevel = 0;
QString LogFileName;

namespace {

const char LineEnd[] = "\r\n";

// How long a call waits for another writer of the same file before it gives the file up.
constexpr std::chrono::milliseconds FileBusyWait(500);

// What the module remembers between calls. Allocated once and never freed, so that a
// message logged while the process shuts down still finds it.
struct TLogState {
    std::mutex Lock;
    std::atomic<bool> FileDisabled{false};
    // The last message written; none before the first line, so that no real message,
    // whatever its bytes, can be mistaken for a repetition of it.
    std::optional<QByteArray> LastMessage;
    QString LastFile;        // the file the last line went to
    qint64 LastLineStart = 0;
    qint64 LastLineEnd = 0;  // where the last line ended, to see that nobody changed the file
    qint32 Occurrences = 0;
    // The file beside the executable is not to be written (an installed program, or one
    // whose folder cannot be written): the state folder's is used.
    bool BesideRuledOut = false;
    // Why file logging ended, and who is to hear of it when it does.
    QString SwitchOffReason;
    TLogSwitchOffNotice SwitchOffNotice;
};

TLogState& State() {
    static TLogState* state = new TLogState;
    return *state;
}

// The debugger output channel: OutputDebugString on Windows; elsewhere standard error, and
// only when ROAD_IMPORT_DEBUG_LOG is set, so that a console user is not flooded.
void SendToDebugger(const QString& message) {
#ifdef Q_OS_WIN
    OutputDebugStringW(reinterpret_cast<const wchar_t*>(message.utf16()));
#else
    if (qEnvironmentVariableIsEmpty("ROAD_IMPORT_DEBUG_LOG")) return;
    const QByteArray line = message.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
#endif
}

QString ExecutablePath() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath();
    // No application object (yet, or any more): ask the system directly.
#ifdef Q_OS_WIN
    wchar_t buffer[1024];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 1024);
    if (length == 0 || length >= 1024) return QString();
    return QString::fromWCharArray(buffer, static_cast<int>(length));
#else
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
#endif
}

// Whether a file could be written there as far as the file system tells beforehand; the
// write itself is the final judge.
bool LooksWritable(const QString& path) {
    const QFileInfo file(path);
    if (file.exists()) return file.isFile() && file.isWritable();
    const QFileInfo folder(file.absolutePath());
    return folder.isDir() && folder.isWritable();
}

// The log file named by LogFileName, or the executable's default, or, for an installed
// program or once the default has proved unwritable, the one in the user's state folder.
// Called under the lock.
QString ChooseFileName(TLogState& state) {
    const QString fileName = LogFileName;
    if (!fileName.isEmpty()) return fileName;
    const QString executable = ExecutablePath();
    if (executable.isEmpty()) return QString();
    const QString beside = LogFileNameForExecutable(executable);
    if (!state.BesideRuledOut && (IsInstalledProgram(executable) || !LooksWritable(beside)))
        state.BesideRuledOut = true;
    return state.BesideRuledOut ? StateFolderLogFileName(executable) : beside;
}

// dd.MM.yyyy hh:mm:ss.zzz. The local date and time up to the second are worked out once a
// second: doing it for every line cost more than writing the line.
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

QByteArray FirstLine(const QByteArray& message) {
    return TimeStamp() + ": " + message + LineEnd;
}

QByteArray RepeatedLine(const QByteArray& message, qint32 count) {
    const QString word =
        ChoosePlural(count, QStringLiteral("раз"), QStringLiteral("раза"), QStringLiteral("раз"));
    return TimeStamp() + ": " + message + " (сообщение повторилось " + QByteArray::number(count) +
           " " + word.toUtf8() + ")" + LineEnd;
}

// The log file, held against other writers for the duration of a call. On Windows it is
// open for one call; elsewhere it stays open between calls (Kept below) and is locked for
// each. Every failing operation throws; the destructor closes the file on every path.
class TLogFile {
public:
    explicit TLogFile(const QString& path) { Open(path); }
    ~TLogFile() { Close(); }
    TLogFile(const TLogFile&) = delete;
    TLogFile& operator=(const TLogFile&) = delete;

    qint64 SeekToEnd();
    void CutAt(qint64 offset);
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

// The failed step and the system's reason ("write: No space left on device").
[[noreturn]] void Fail(const char* what) {
#ifdef Q_OS_WIN
    throw std::runtime_error(std::string(what) + ": Windows error " + std::to_string(GetLastError()));
#else
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
#endif
}

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

#else

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

#endif

// A message other than the last one starts a new line at the end of the file.
void AppendNewLine(TLogState& state, TLogFile& file, const QString& fileName, const QByteArray& message,
                   qint64 fileSize) {
    state.LastMessage = message;
    state.LastFile = fileName;
    state.LastLineStart = fileSize;
    state.Occurrences = 1;
    const QByteArray line = FirstLine(message);
    file.Write(line);
    state.LastLineEnd = fileSize + line.size();
}

// A repetition replaces the last line with one that carries the count. When the file is no
// longer as this process left it (another file name, deleted, shortened or written to by
// someone else), cutting at the old offset would destroy foreign lines, so the counted
// line is appended instead and becomes the line that later repetitions replace.
void RewriteRepeatedLine(TLogState& state, TLogFile& file, const QString& fileName, const QByteArray& message,
                         qint64 fileSize) {
    const bool fileAsLeft = state.LastFile == fileName && state.LastLineEnd == fileSize;
    if (fileAsLeft)
        file.CutAt(state.LastLineStart);
    else {
        state.LastFile = fileName;
        state.LastLineStart = fileSize;
    }
    state.Occurrences += 1;
    const QByteArray line = RepeatedLine(message, state.Occurrences);
    file.Write(line);
    state.LastLineEnd = state.LastLineStart + line.size();
}

void WriteLine(TLogState& state, TLogFile& file, const QString& fileName, const QByteArray& message) {
    const qint64 fileSize = file.SeekToEnd();
    if (!state.LastMessage || *state.LastMessage != message)
        AppendNewLine(state, file, fileName, message, fileSize);
    else if (!message.isEmpty())
        RewriteRepeatedLine(state, file, fileName, message, fileSize);
    // an empty message right after an empty one writes nothing
}

#ifdef Q_OS_WIN

void WriteToFile(TLogState& state, const QString& fileName, const QByteArray& message) {
    TLogFile file(fileName);
    WriteLine(state, file, fileName, message);
}

#else

// The file written last, open until another one is named, or it is deleted, or a call
// fails: opening and closing it cost more than writing a line. The lock is still held for
// each call alone. Used under the state's lock.
struct TKeptFile {
    std::unique_ptr<TLogFile> File;
    QString Name;
};

TKeptFile& Kept() {
    static TKeptFile* kept = new TKeptFile;
    return *kept;
}

void WriteToFile(TLogState& state, const QString& fileName, const QByteArray& message) {
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
        WriteLine(state, *kept.File, fileName, message);
    } catch (...) {
        kept.File.reset();
        throw;
    }
}

#endif

}  // namespace

QString LogFileNameForExecutable(const QString& executablePath) {
#ifdef Q_OS_WIN
    const qsizetype nameStart =
        std::max(executablePath.lastIndexOf(QLatin1Char('/')), executablePath.lastIndexOf(QLatin1Char('\\'))) + 1;
#else
    const qsizetype nameStart = executablePath.lastIndexOf(QLatin1Char('/')) + 1;
#endif
    const qsizetype dot = executablePath.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot >= nameStart ? executablePath.left(dot) : executablePath;
    return stem + QStringLiteral(".log");
}

namespace {

// File logging ends for good: the reason is kept, and the notice (if any) is handed back to
// be called once the lock is released.
TLogSwitchOffNotice SwitchFileOff(TLogState& state, const QString& reason) {
    state.FileDisabled.store(true);
    state.SwitchOffReason = reason;
    return state.SwitchOffNotice;
}

}  // namespace

void WriteLog(const QString& message, std::uint8_t level) {
    if (level > LogLevel) return;
    try {
        SendToDebugger(message);
        TLogState& state = State();
        if (state.FileDisabled.load()) return;
        TLogSwitchOffNotice notice;
        QString fileName;
        QString reason;
        {
            std::lock_guard<std::mutex> guard(state.Lock);
            try {
                fileName = ChooseFileName(state);
                if (fileName.isEmpty()) return;  // no executable path to name the file after
                try {
                    WriteToFile(state, fileName, message.toUtf8());
                } catch (...) {
                    // The default file failed where it looked writable: the state folder's
                    // takes over, once; any other failure ends file logging.
                    if (!LogFileName.isEmpty() || state.BesideRuledOut) throw;
                    state.BesideRuledOut = true;
                    fileName = ChooseFileName(state);
                    WriteToFile(state, fileName, message.toUtf8());
                }
                return;
            } catch (const std::exception& error) {
                reason = QString::fromLocal8Bit(error.what());
            } catch (...) {
                reason = QStringLiteral("unknown error");
            }
            notice = SwitchFileOff(state, reason);
        }
        if (notice) notice(fileName, reason);
    } catch (...) {
        // logging never disturbs its caller
    }
}

QString LogSwitchOffReason() {
    TLogState& state = State();
    std::lock_guard<std::mutex> guard(state.Lock);
    return state.SwitchOffReason;
}

void SetLogSwitchOffNotice(TLogSwitchOffNotice notice) {
    TLogState& state = State();
    std::lock_guard<std::mutex> guard(state.Lock);
    state.SwitchOffNotice = std::move(notice);
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

void ResetLogState() {
    TLogState& state = State();
    std::lock_guard<std::mutex> guard(state.Lock);
    state.FileDisabled.store(false);
    state.SwitchOffReason.clear();
    state.LastMessage.reset();
    state.LastFile.clear();
    state.LastLineStart = 0;
    state.LastLineEnd = 0;
    state.Occurrences = 0;
    state.BesideRuledOut = false;
}

QString CurrentLogFileName() {
    TLogState& state = State();
    std::lock_guard<std::mutex> guard(state.Lock);
    return ChooseFileName(state);
}

bool IsInstalledProgram(const QString& executablePath) {
    const QString folder = QFileInfo(executablePath).absolutePath();
    const QString folderName = folder.mid(folder.lastIndexOf(QLatin1Char('/')) + 1);
    return folderName == QLatin1String("bin") || folderName == QLatin1String("sbin");
}

QString StateFolderLogFileName(const QString& executablePath) {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    // XDG_STATE_HOME counts only as an absolute path; a relative one is ignored, as the XDG folders are.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    const QString program = QFileInfo(executablePath).completeBaseName();
    const QString folder = base + QLatin1Char('/') + program;
    // Made for the user alone: the log may name the databases and users of an import.
    if (!QDir().exists(folder) && QDir().mkpath(folder))
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return folder + QLatin1Char('/') + program + QStringLiteral(".log");
}
