// Rewriting the copier's statements that carry the import's GUID column on SQLite, so that
// the column lives in the connection's TEMP schema rather than in the file.

#include "db/sqlite/SqliteGuidStatements.h"

#include "db/SqlText.h"
#include "db/sqlite/SqliteTempObjects.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUuid>
#include <sqlite3.h>

namespace {

const QString Guid = QStringLiteral("GUID");

// Texts met by one connection: a table's statements, and the selections of single rows that
// nested copies run. Beyond this many the analyses are made afresh.
constexpr int MaxEntries = 4096;

const QRegularExpression& InsertShape() {
    static const QRegularExpression shape(QStringLiteral("^INSERT INTO (\\S+?)\\((.*)\\) VALUES\\((.*)\\)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    return shape;
}

const QRegularExpression& SelectShape() {
    static const QRegularExpression shape(QStringLiteral("^(select|SELECT) (.*?) +(from|FROM) (\\S+)(.*)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    return shape;
}

const QRegularExpression& UpdateShape() {
    static const QRegularExpression shape(QStringLiteral("^UPDATE (\\S+) SET "));
    return shape;
}

// The copier's match condition on the GUID column; group 1 is the value's parameter.
const QRegularExpression& GuidCondition() {
    static const QRegularExpression shape(
        QStringLiteral("\\(GUID=(:[A-Za-z_][A-Za-z0-9_]*) or \\(:[A-Za-z_][A-Za-z0-9_]*"
                       " is NULL and GUID is NULL\\)\\)"));
    return shape;
}

// A statement that makes or drops one of the import's TEMP objects (SqliteTempObjects.h).
bool ChangesTempObjects(const QString& sql) {
    return (sql.startsWith(QLatin1String("CREATE TEMP"), Qt::CaseInsensitive) ||
            sql.startsWith(QLatin1String("DROP TABLE"), Qt::CaseInsensitive)) &&
           sql.contains(QLatin1String("road-import"));
}

QString QuotedName(QString name) {
    name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + name + QLatin1Char('"');
}

QStringList TrimmedItems(const QString& list) {
    QStringList items = list.split(QLatin1Char(','));
    for (QString& item : items) item = item.trimmed();
    return items;
}

// How the rows of a table are told apart: its row id, or, in a WITHOUT ROWID table, its
// primary key columns.
struct TRowIdentity {
    bool HasRowid = true;
    QStringList KeyColumns;

    QString RowKey() const { return HasRowid ? QStringLiteral("rowid") : QuotedName(KeyColumns.value(0)); }
};

TRowIdentity IdentityOf(sqlite3* handle, const QString& table) {
    TRowIdentity identity;
    const QByteArray name = table.toUtf8();
    identity.HasRowid = sqlite3_table_column_metadata(handle, "main", name.constData(), "rowid", nullptr, nullptr,
                                                      nullptr, nullptr, nullptr) == SQLITE_OK;
    if (identity.HasRowid) return identity;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle, "select name from pragma_table_info(?1, 'main') where pk > 0 order by pk", -1,
                           &statement, nullptr) != SQLITE_OK)
        return identity;
    sqlite3_bind_text(statement, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(statement) == SQLITE_ROW)
        identity.KeyColumns << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return identity;
}

// newid()'s 8-4-4-4-12 shape: the connection's prefix, then the row id in hexadecimal (or
// the primary key's text), so that the same row reads the same GUID.
QString ReadGuidExpression(const QString& prefix, const TRowIdentity& identity) {
    if (identity.HasRowid) return SqlStringLiteral(prefix) + QStringLiteral(" || printf('%012X', rowid)");
    QStringList parts;
    for (const QString& column : identity.KeyColumns) parts << QStringLiteral("quote(") + QuotedName(column) + QLatin1Char(')');
    return SqlStringLiteral(prefix) + QStringLiteral(" || hex(") + parts.join(QStringLiteral(" || ',' || ")) + QLatin1Char(')');
}

}  // namespace

TSqliteGuidStatements::TSqliteGuidStatements()
    : Prefix(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().left(24)) {}

const TSqliteGuidRewrite* TSqliteGuidStatements::RewriteOf(sqlite3* handle, const QString& sql) {
    auto entry = Entries.constFind(sql);
    if (entry == Entries.constEnd()) {
        // Making or dropping a GUID of the connection may follow a change of the file's
        // tables (another program's, between two runs): what was learned of them is dropped.
        if (ChangesTempObjects(sql)) {
            Entries.clear();
            return nullptr;
        }
        if (Entries.size() >= MaxEntries) Entries.clear();
        entry = Entries.insert(sql, Analyse(handle, sql));
    }
    if (entry->GuidTable.isEmpty()) return nullptr;
    if (sqlite3_table_column_metadata(handle, "temp", entry->GuidTable.constData(), nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr) != SQLITE_OK)
        return nullptr;
    return &entry->Rewrite;
}

TSqliteGuidStatements::TEntry TSqliteGuidStatements::Analyse(sqlite3* handle, const QString& sql) const {
    TEntry entry;
    if (!sql.contains(Guid)) return entry;
    const QRegularExpressionMatch insert = InsertShape().match(sql);
    const QRegularExpressionMatch update = insert.hasMatch() ? QRegularExpressionMatch() : UpdateShape().match(sql);
    const QRegularExpressionMatch select =
        insert.hasMatch() || update.hasMatch() ? QRegularExpressionMatch() : SelectShape().match(sql);
    const QString table = insert.hasMatch()   ? insert.captured(1)
                          : update.hasMatch() ? update.captured(1)
                          : select.hasMatch() ? select.captured(4)
                                              : QString();
    if (table.isEmpty()) return entry;
    const QString guidTable = SqliteTempName(SqliteGuidTableName(table));
    const TRowIdentity identity = IdentityOf(handle, table);
    QString statement = sql;
    QString record;

    if (insert.hasMatch()) {
        QStringList columns = TrimmedItems(insert.captured(2));
        QStringList values = TrimmedItems(insert.captured(3));
        const int at = static_cast<int>(columns.indexOf(Guid));
        if (at < 0 || columns.size() != values.size()) return entry;
        const QString guidValue = values.takeAt(at);
        columns.removeAt(at);
        const int key = identity.HasRowid ? -1 : static_cast<int>(columns.indexOf(identity.KeyColumns.value(0), 0));
        const QString row = identity.HasRowid ? QStringLiteral("last_insert_rowid()")
                            : key >= 0        ? values[key]
                                              : QStringLiteral("NULL");
        statement = columns.isEmpty() ? QStringLiteral("INSERT INTO ") + table + QStringLiteral(" DEFAULT VALUES")
                                      : QStringLiteral("INSERT INTO ") + table + QLatin1Char('(') +
                                            columns.join(QStringLiteral(", ")) + QStringLiteral(") VALUES(") +
                                            values.join(QStringLiteral(", ")) + QLatin1Char(')');
        record = QStringLiteral("INSERT INTO ") + guidTable + QStringLiteral(" (GUID, Row) VALUES(") + guidValue +
                 QStringLiteral(", ") + row + QLatin1Char(')');
    } else {
        if (select.hasMatch()) {
            QStringList items = select.captured(2).split(QStringLiteral(", "));
            const int at = static_cast<int>(items.indexOf(Guid));
            if (at >= 0) {
                items[at] = ReadGuidExpression(Prefix, identity) + QStringLiteral(" as GUID");
                statement = select.captured(1) + QLatin1Char(' ') + items.join(QStringLiteral(", ")) +
                            sql.mid(select.capturedEnd(2));
            }
        }
        statement.replace(GuidCondition(), QLatin1Char('(') + identity.RowKey() + QStringLiteral(" in (select Row from ") +
                                               guidTable + QStringLiteral(" where GUID = \\1))"));
    }
    if (statement == sql) return entry;
    entry.GuidTable = SqliteGuidTableName(table).toUtf8();
    entry.Rewrite = {statement, record};
    return entry;
}
