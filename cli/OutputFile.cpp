#include "cli/OutputFile.h"

#include "cli/CliOptions.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// Something there that is not a regular file: replacing it by renaming a file over it would
// destroy it (as root, /dev/null itself).
bool IsSpecialFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isFile() && !info.isDir();
}

}  // namespace

void CheckOutputFileWritable(const QString& option, const QString& path) {
    QFile file(path);
    const bool existed = file.exists();
    // A device or a pipe cannot be appended to (it has no end to seek to).
    const QIODevice::OpenMode mode = IsSpecialFile(path) ? QIODevice::WriteOnly : QIODevice::WriteOnly | QIODevice::Append;
    if (!file.open(mode))
        throw EUsageError(QStringLiteral("%1: cannot write \"%2\": %3").arg(option, path, file.errorString()));
    file.close();
    if (!existed) file.remove();  // it is written when the run has ended
}

TOutputFile::TOutputFile(const QString& path) {
    if (IsSpecialFile(path)) {
        File = std::make_unique<QFile>(path);
    } else {
        auto saveFile = std::make_unique<QSaveFile>(path);
        saveFile->setDirectWriteFallback(true);  // a folder the user may not add files to
        File = std::move(saveFile);
    }
    Opened = File->open(QIODevice::WriteOnly);
}

TOutputFile::~TOutputFile() = default;

void TOutputFile::Write(const QByteArray& bytes) {
    if (Opened) File->write(bytes);
}

QString TOutputFile::Finish() {
    if (!Opened) return File->errorString();
    auto* saveFile = qobject_cast<QSaveFile*>(File.get());
    const bool done = saveFile ? saveFile->commit() : File->flush() && File->error() == QFileDevice::NoError;
    return done ? QString() : File->errorString();
}
