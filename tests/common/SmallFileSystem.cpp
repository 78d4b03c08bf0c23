#include "common/SmallFileSystem.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

const QString FillerName = QStringLiteral(".filler");

}  // namespace

TSmallFileSystem::TSmallFileSystem(qint64 bytes) : Root(Dir.Path(QStringLiteral("small"))) {
    QDir().mkpath(Root);
    const QByteArray options = "size=" + QByteArray::number(bytes);
    if (::mount("tmpfs", QFile::encodeName(Root).constData(), "tmpfs", 0, options.constData()) == 0) {
        IsMounted = true;
        return;
    }
    WhyNot = QStringLiteral("a tmpfs cannot be mounted here (%1); the test needs root").arg(QString::fromLocal8Bit(std::strerror(errno)));
}

TSmallFileSystem::~TSmallFileSystem() {
    // Detached, so that a file a failed test left open does not keep it mounted.
    if (IsMounted) ::umount2(QFile::encodeName(Root).constData(), MNT_DETACH);
}

QString TSmallFileSystem::Path(const QString& name) const { return Root + QLatin1Char('/') + name; }

void TSmallFileSystem::Fill() {
    const int file = ::open(QFile::encodeName(Path(FillerName)).constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (file < 0) return;
    const QByteArray block(4096, 'x');
    // Page by page, then byte by byte for what a partial page leaves.
    while (::write(file, block.constData(), static_cast<size_t>(block.size())) > 0) {
    }
    while (::write(file, block.constData(), 1) > 0) {
    }
    ::close(file);
}

void TSmallFileSystem::Free() { QFile::remove(Path(FillerName)); }
