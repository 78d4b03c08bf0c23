#include "support/LogFileChoice.h"

#include "support/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

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

namespace {

// Whether a file could be written there as far as the file system tells beforehand; the
// write itself is the final judge.
bool LooksWritable(const QString& path) {
    const QFileInfo file(path);
    if (file.exists()) return file.isFile() && file.isWritable();
    const QFileInfo folder(file.absolutePath());
    return folder.isDir() && folder.isWritable();
}

}  // namespace

QString ChooseLogFile(bool& besideRuledOut) {
    const QString fileName = LogFileName;
    if (!fileName.isEmpty()) return fileName;
    const QString executable = ExecutablePath();
    if (executable.isEmpty()) return QString();
    const QString beside = LogFileNameForExecutable(executable);
    if (!besideRuledOut && (IsInstalledProgram(executable) || !LooksWritable(beside))) besideRuledOut = true;
    return besideRuledOut ? StateFolderLogFileName(executable) : beside;
}

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
