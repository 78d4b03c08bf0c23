// The native sqlite3 handle behind QSQLITE: functions, collation, clock, columns, changes.

#include "db/sqlite/SqliteNative.h"

#include "db/DbError.h"
#include "db/sqlite/SqliteTypes.h"
#include "db/SqlText.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QUuid>
#include <sqlite3.h>

namespace {

// The progress handler runs every this many virtual-machine steps.
constexpr int ProgressSteps = 1000;

void NewId(sqlite3_context* context, int, sqlite3_value**) {
    const QByteArray text = QUuid::createUuid().toByteArray(QUuid::WithoutBraces).toUpper();
    sqlite3_result_text(context, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

int CompareIgnoringCase(void*, int length1, const void* text1, int length2, const void* text2) {
    const QString a = QString::fromUtf8(static_cast<const char*>(text1), length1);
    const QString b = QString::fromUtf8(static_cast<const char*>(text2), length2);
    return QString::compare(a, b, Qt::CaseInsensitive);
}

int CheckDeadline(void* data) {
    auto* clock = static_cast<TSqliteStatementClock*>(data);
    if (!clock->Armed || std::chrono::steady_clock::now() < clock->Deadline) return 0;
    clock->Fired = true;
    return 1;  // interrupts the statement
}

void Check(sqlite3* handle, int code) {
    if (code != SQLITE_OK) throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(handle)));
}

}  // namespace

sqlite3* SqliteNativeHandle(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

void TSqliteStatementClock::Start(int timeoutSeconds) {
    Fired = false;
    Armed = timeoutSeconds > 0;
    if (Armed) Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
}

void PrepareSqliteConnection(const QSqlDatabase& db, TSqliteStatementClock* clock, int busyTimeoutMs) {
    sqlite3* handle = SqliteNativeHandle(db);
    if (!handle) throw EDatabaseError(QStringLiteral("Драйвер SQLite не предоставил своё подключение"));
    Check(handle, sqlite3_create_function_v2(handle, "newid", 0, SQLITE_UTF8, nullptr, NewId, nullptr,
                                             nullptr, nullptr));
    Check(handle, sqlite3_create_collation_v2(handle, "UNICODE_CI", SQLITE_UTF8, nullptr,
                                              CompareIgnoringCase, nullptr));
    Check(handle, sqlite3_busy_timeout(handle, busyTimeoutMs));
    sqlite3_progress_handler(handle, ProgressSteps, CheckDeadline, clock);
    Check(handle, sqlite3_exec(handle, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr));
    // SQLite reads the file only when asked: a file that is no database fails here, at
    // opening, rather than at the first statement.
    Check(handle, sqlite3_exec(handle, "select count(*) from sqlite_master", nullptr, nullptr, nullptr));
}

qint64 SqliteTotalChanges(const QSqlDatabase& db) {
    sqlite3* handle = SqliteNativeHandle(db);
    return handle ? sqlite3_total_changes64(handle) : 0;
}

int SqliteRowsAffected(const QSqlDatabase& db, qint64 totalChangesBefore) {
    sqlite3* handle = SqliteNativeHandle(db);
    if (!handle || sqlite3_total_changes64(handle) == totalChangesBefore) return 0;
    return static_cast<int>(sqlite3_changes64(handle));
}

bool SqliteInTransaction(const QSqlDatabase& db) {
    sqlite3* handle = SqliteNativeHandle(db);
    return handle && sqlite3_get_autocommit(handle) == 0;
}

QString SqliteUriOfExistingFile(const QString& path) {
    QString file = QFileInfo(path).absoluteFilePath();
    // In a URI these three would end the path or start an escape.
    file.replace(QLatin1Char('%'), QStringLiteral("%25"));
    file.replace(QLatin1Char('?'), QStringLiteral("%3f"));
    file.replace(QLatin1Char('#'), QStringLiteral("%23"));
    if (!file.startsWith(QLatin1Char('/'))) file.prepend(QLatin1Char('/'));  // "C:/..." on Windows
    return QStringLiteral("file://") + file + QStringLiteral("?mode=rw");
}

namespace {

}  // namespace

QVector<TColumnInfo> SqliteStatementColumns(sqlite3_stmt* statement) {
    QVector<TColumnInfo> columns;
    const int count = sqlite3_column_count(statement);
    columns.reserve(count);
    for (int i = 0; i < count; ++i) {
        TColumnInfo column;
        column.Name = QString::fromUtf8(sqlite3_column_name(statement, i));
        column.DataType = FieldTypeOfDeclaredType(QString::fromUtf8(sqlite3_column_decltype(statement, i)));
        columns.append(column);
    }
    return columns;
}

QStringList SplitSqliteStatements(const QString& sql) {
    // Nearly every statement comes alone and without a ";": nothing to split.
    if (!sql.contains(QLatin1Char(';'))) return HasStatementText(sql) ? QStringList{sql} : QStringList();
    QStringList statements;
    int start = 0;
    int pos = 0;
    while (pos < sql.size()) {
        const int skipped = SkipQuotedOrComment(sql, pos);
        if (skipped != pos) {
            pos = skipped;
            continue;
        }
        ++pos;
        if (sql[pos - 1] != QLatin1Char(';')) continue;
        const QString candidate = sql.mid(start, pos - start);
        if (!sqlite3_complete(candidate.toUtf8().constData())) continue;  // inside a trigger body
        if (HasStatementText(candidate)) statements.append(candidate);
        start = pos;
    }
    const QString rest = sql.mid(start);
    if (HasStatementText(rest)) statements.append(rest);
    return statements;
}
