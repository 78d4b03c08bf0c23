// Rewriting the import's statements on SQLite: those that carry the GUID column, so that the
// column lives in the connection's TEMP schema rather than in the file, and the section
// link's clearing.

#include "db/sqlite/SqliteImportStatements.h"

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

// The section link's clearing: table, column, the selection of the keys.
const QRegularExpression& ClearingShape() {
    static const QRegularExpression shape(
        QStringLiteral("^Update (\\S+) Set (\\S+) = NULL Where (\\S+) not in \\((Select \\S+ From \\S+)\\)$"));
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

QString RowKeyOf(const TSqliteRowIdentity& identity) {
    return identity.HasRowid ? QStringLiteral("rowid") : QuotedName(identity.KeyColumns.value(0));
}

TSqliteRowIdentity ReadIdentity(sqlite3* handle, const QString& table) {
    TSqliteRowIdentity identity;
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

TSqliteRowIdentity IdentityOf(sqlite3* handle, const QString& table, QHash<QString, TSqliteRowIdentity>& known) {
    const auto found = known.constFind(table);
    if (found != known.constEnd()) return *found;
    return *known.insert(table, ReadIdentity(handle, table));
}

// newid()'s 8-4-4-4-12 shape: the connection's prefix, then the row id in hexadecimal (or
// the primary key's text), so that the same row reads the same GUID.
QString ReadGuidExpression(const QString& prefix, const TSqliteRowIdentity& identity) {
    if (identity.HasRowid) return SqlStringLiteral(prefix) + QStringLiteral(" || printf('%012X', rowid)");
    QStringList parts;
    for (const QString& column : identity.KeyColumns) parts << QStringLiteral("quote(") + QuotedName(column) + QLatin1Char(')');
    return SqlStringLiteral(prefix) + QStringLiteral(" || hex(") + parts.join(QStringLiteral(" || ',' || ")) + QLatin1Char(')');
}

}  // namespace

TSqliteImportStatements::TSqliteImportStatements()
    : Prefix(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().left(24)) {}

const TSqliteRewrite* TSqliteImportStatements::RewriteOf(sqlite3* handle, const QString& sql) {
    auto entry = Entries.constFind(sql);
    if (entry == Entries.constEnd()) {
        // Making or dropping a GUID of the connection may follow a change of the file's
        // tables (another program's, between two runs): what was learned of them is dropped.
        if (ChangesTempObjects(sql)) {
            Entries.clear();
            Identities.clear();
            return nullptr;
        }
        if (Entries.size() >= MaxEntries) Entries.clear();
        entry = Entries.insert(sql, Analyse(handle, sql));
    }
    if (!entry->Rewritten) return nullptr;
    // A GUID statement applies while the table's GUID lives in the connection; asked of the
    // schema SQLite holds in memory, which follows every rollback.
    if (!entry->GuidTable.isEmpty() && sqlite3_table_column_metadata(handle, "temp", entry->GuidTable.constData(), nullptr,
                                                                     nullptr, nullptr, nullptr, nullptr, nullptr) != SQLITE_OK)
        return nullptr;
    return &entry->Rewrite;
}

TSqliteImportStatements::TEntry TSqliteImportStatements::Analyse(sqlite3* handle, const QString& sql) {
    TEntry entry;
    const QRegularExpressionMatch clearing = ClearingShape().match(sql);
    if (clearing.hasMatch()) {
        const QString table = clearing.captured(1);
        if (clearing.captured(2) != clearing.captured(3) || !IdentityOf(handle, table, Identities).HasRowid) return entry;
        entry.Rewritten = true;
        entry.Rewrite.Statement = QStringLiteral("Update ") + table + QStringLiteral(" Set ") + clearing.captured(2) +
                                  QStringLiteral(" = NULL Where rowid in (select rowid from ") + table +
                                  QStringLiteral(" Where ") + clearing.captured(3) + QStringLiteral(" not in (") +
                                  clearing.captured(4) + QStringLiteral("))");
        return entry;
    }
    return AnalyseGuidStatement(handle, sql);
}

TSqliteImportStatements::TEntry TSqliteImportStatements::AnalyseGuidStatement(sqlite3* handle, const QString& sql) {
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
    const TSqliteRowIdentity identity = IdentityOf(handle, table, Identities);
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
        // "=": one row at most, as the copier takes the first row found; an IN would build a
        // table for every probe.
        statement.replace(GuidCondition(), QLatin1Char('(') + RowKeyOf(identity) + QStringLiteral(" = (select Row from ") +
                                               guidTable + QStringLiteral(" where GUID = \\1))"));
    }
    if (statement == sql) return entry;
    entry.Rewritten = true;
    entry.GuidTable = SqliteGuidTableName(table).toUtf8();
    entry.Rewrite = {statement, record};
    return entry;
}
