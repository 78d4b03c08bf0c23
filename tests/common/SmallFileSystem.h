#pragma once
// A real file system that fills up: a tmpfs of a given size mounted on a fresh folder for the
// life of the object. Mounting needs root (CI runs the suite as root); elsewhere the tests
// that need one are skipped with the reason.

#include "common/TestFiles.h"

#include <QString>

class TSmallFileSystem {
public:
    explicit TSmallFileSystem(qint64 bytes);
    ~TSmallFileSystem();
    TSmallFileSystem(const TSmallFileSystem&) = delete;
    TSmallFileSystem& operator=(const TSmallFileSystem&) = delete;

    bool Mounted() const { return IsMounted; }
    // Why it could not be mounted.
    QString Reason() const { return WhyNot; }
    // Full path of a file on it.
    QString Path(const QString& name) const;
    // Takes every byte still free with a file of its own; Free gives them back.
    void Fill();
    void Free();

private:
    TTestDir Dir;
    QString Root;
    bool IsMounted = false;
    QString WhyNot;
};

#define REQUIRE_SMALL_FILE_SYSTEM(fileSystem) \
    if (!(fileSystem).Mounted()) GTEST_SKIP() << (fileSystem).Reason().toStdString()
