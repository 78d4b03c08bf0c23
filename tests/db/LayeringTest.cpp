// The shape of the database layer, read from its sources: the generic part names no backend,
// a backend builds on the generic part and on no other backend, only the registry knows
// every backend, and no unit (a header with its source) reaches itself again through its
// includes.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

// Per unit ("db/sqlite/SqliteSession"), the units of db/ that its header and source include.
QMap<QString, QSet<QString>> DbIncludes() {
    const QDir root(QStringLiteral(ROAD_IMPORT_SOURCE_DIR));
    const QRegularExpression include(QStringLiteral("#include \"(db/[^\"]+)\\.(?:h|cpp)\""));
    QMap<QString, QSet<QString>> units;
    QDirIterator files(root.filePath(QStringLiteral("db")), {QStringLiteral("*.h"), QStringLiteral("*.cpp")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        const QString relative = root.relativeFilePath(path);
        const QString unit = relative.left(relative.lastIndexOf(QLatin1Char('.')));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) ADD_FAILURE() << path.toStdString();
        QSet<QString>& used = units[unit];
        for (auto it = include.globalMatch(QString::fromUtf8(file.readAll())); it.hasNext();) {
            const QString target = it.next().captured(1);
            if (target != unit) used.insert(target);
        }
    }
    return units;
}

// "sqlite" for db/sqlite/..., empty for the generic part.
QString BackendFolderOf(const QString& unit) {
    const QStringList parts = unit.split(QLatin1Char('/'));
    return parts.size() == 3 ? parts[1] : QString();
}

// A path of includes that leads from the unit back to itself, or an empty list.
QStringList CycleFrom(const QMap<QString, QSet<QString>>& units, const QString& start) {
    QStringList path{start};
    QSet<QString> seen;
    std::function<bool(const QString&)> walk = [&](const QString& unit) {
        for (const QString& next : units.value(unit)) {
            if (next == start) return path.append(next), true;
            if (seen.contains(next)) continue;
            seen.insert(next);
            path.append(next);
            if (walk(next)) return true;
            path.removeLast();
        }
        return false;
    };
    return walk(start) ? path : QStringList();
}

TEST(DbLayering, GenericPartNamesNoBackendAndNoUnitReachesItselfAgain) {
    const QMap<QString, QSet<QString>> units = DbIncludes();
    ASSERT_TRUE(units.contains(QStringLiteral("db/BackendRegistry")));
    QSet<QString> backends;
    for (auto unit = units.cbegin(); unit != units.cend(); ++unit) {
        const QString mine = BackendFolderOf(unit.key());
        if (!mine.isEmpty()) backends.insert(mine);
        for (const QString& used : unit.value()) {
            const QString theirs = BackendFolderOf(used);
            if (theirs.isEmpty() || theirs == mine) continue;
            if (unit.key() == QLatin1String("db/BackendRegistry")) continue;
            ADD_FAILURE() << unit.key().toStdString() << " includes " << used.toStdString();
        }
        const QStringList cycle = CycleFrom(units, unit.key());
        EXPECT_TRUE(cycle.isEmpty()) << cycle.join(QStringLiteral(" -> ")).toStdString();
    }
    EXPECT_EQ(backends, (QSet<QString>{QStringLiteral("sqlite"), QStringLiteral("postgres"), QStringLiteral("mssql")}));
    QSet<QString> known;
    for (const QString& used : units.value(QStringLiteral("db/BackendRegistry"))) known.insert(BackendFolderOf(used));
    known.remove(QString());
    EXPECT_EQ(known, backends);
}

}  // namespace
