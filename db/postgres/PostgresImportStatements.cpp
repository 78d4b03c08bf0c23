// Rewriting the copier's statements on PostgreSQL, so that the import's GUID columns and
// section links live in the session rather than in the tables.

#include "db/postgres/PostgresImportStatements.h"

#include "db/ImportStatementShapes.h"
#include "db/SqlText.h"
#include "db/postgres/PostgresCatalogue.h"
#include "db/postgres/PostgresTempObjects.h"

#include <QUuid>

namespace {

// Texts met by one session: a table's statements, and the selections of the rows that nested
// copies and the read-ahead run. Beyond this many the analyses are made afresh.
constexpr int MaxRewrites = 4096;

// Every GUID table of the session with its key columns in key order (its columns after
// "GUID"), and every link, in the order made.
QString StateStatement() {
    return QStringLiteral(
               "select 'guid' as kind, t.relname::text as tab, a.attname::text as col, a.attnum::int as n, "
               "g.relname::text as ref1, null::text as ref2 from pg_class g join pg_class t "
               "on t.oid::text = substr(g.relname::text, ") +
           QString::number(PostgresGuidTablePrefix.size() + 1) +
           QStringLiteral(
               ") left join pg_attribute a on a.attrelid = g.oid and a.attnum > 1 and not a.attisdropped "
               "where g.relnamespace = pg_my_temp_schema() and g.relname like ") +
           SqlStringLiteral(PostgresGuidTablePrefix + QLatin1Char('%')) +
           QStringLiteral(" union all select 'link', tab, col, n::int, reftab, refcol from ") + PostgresSessionLinks() +
           QStringLiteral(" s order by 1, 2, 4");
}

// "k" or "(k1, k2)": the key as one value of a comparison.
QString KeyTuple(const QStringList& keys) {
    return keys.size() == 1 ? keys[0] : QLatin1Char('(') + keys.join(QStringLiteral(", ")) + QLatin1Char(')');
}

}  // namespace

TPostgresImportStatements::TPostgresImportStatements(TAsk ask)
    : Ask(std::move(ask)), Prefix(QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

void TPostgresImportStatements::Forget() {
    Known.reset();
    Rewrites.clear();
}

const TPostgresImportStatements::TState& TPostgresImportStatements::State() {
    if (Known) return *Known;
    TState state;
    for (const QVector<QVariant>& row : Ask(StateStatement()).Rows) {
        const QString table = row.value(1).toString();
        if (row.value(0).toString() == QLatin1String("guid")) {
            TGuidTable& guid = state.Guids[table];
            guid.Name = QStringLiteral("pg_temp.") + SqlQuotedName(row.value(4).toString());
            if (!row.value(2).isNull()) guid.Keys << row.value(2).toString();
        } else {
            state.Links[table].append({row.value(2).toString(), row.value(4).toString(), row.value(5).toString()});
        }
    }
    Known = std::move(state);
    return *Known;
}

QString TPostgresImportStatements::RewriteOf(const QString& sql) {
    const auto known = Rewrites.constFind(sql);
    if (known != Rewrites.constEnd()) return *known;
    const QString statement = Analyse(sql);
    if (Rewrites.size() >= MaxRewrites) Rewrites.clear();
    Rewrites.insert(sql, statement);
    return statement;
}

QString TPostgresImportStatements::Analyse(const QString& sql) {
    if (const std::optional<TClearingShape> clearing = ClearingShapeOf(sql))
        return QStringLiteral("select 1 from ") + clearing->Table + QStringLiteral(" Where ") + clearing->Column +
               QStringLiteral(" not in (") + clearing->Selection + QStringLiteral(") limit 0");
    const bool namesGuid = NamesGuid(sql);
    const std::optional<TRowSelectionShape> selection = RowSelectionShapeOf(sql);
    if (!namesGuid && !selection) return sql;

    const std::optional<TInsertShape> insert = namesGuid ? InsertShapeOf(sql) : std::nullopt;
    const QString updated = insert ? QString() : UpdatedTableOf(sql);
    std::optional<TSelectShape> select = insert || !updated.isEmpty() ? std::nullopt : SelectShapeOf(sql);
    const QString table = insert ? insert->Table : !updated.isEmpty() ? updated : select ? select->Table : QString();
    // Only the copier's statements need what the session holds; its catalogue questions,
    // which name GUID tables too, are not asked to wait for it.
    const bool guidStatement = (insert && GuidIndexOf(insert->Columns) >= 0) || (select && GuidIndexOf(select->Items) >= 0) ||
                               (namesGuid && HasGuidCondition(sql));
    if (table.isEmpty() || (!guidStatement && !selection)) return sql;
    const TState& state = State();
    const auto found = state.Guids.constFind(PostgresFoldedName(table));
    const TGuidTable* guid = namesGuid && found != state.Guids.constEnd() && !found->Keys.isEmpty() ? &*found : nullptr;
    if (insert) return guid ? RewriteInsert(sql, *insert, *guid) : sql;

    QString statement = sql;
    if (select) {
        const int at = guid ? GuidIndexOf(select->Items) : -1;
        if (at >= 0) select->Items[at] = ReadGuidExpression(*guid) + QStringLiteral(" as GUID");
        if (selection)
            for (const TLink& link : state.Links.value(PostgresFoldedName(table)))
                for (QString& item : select->Items)
                    if (PostgresFoldedName(item) == link.Column)
                        item = QStringLiteral("case when ") + item + QStringLiteral(" in (select ") + link.RefColumn +
                               QStringLiteral(" from ") + link.RefTable + QStringLiteral(") then ") + item +
                               QStringLiteral(" end as ") + item;
        statement = SelectText(*select);
    }
    if (guid) {
        // "=": one row at most, as the copier takes the first row found; the key's index then
        // finds it.
        statement = WithGuidConditions(statement, [guid](const QString& value) {
            return QStringLiteral("(") + KeyTuple(guid->Keys) + QStringLiteral(" = (select ") +
                   guid->Keys.join(QStringLiteral(", ")) + QStringLiteral(" from ") + guid->Name +
                   QStringLiteral(" where \"GUID\" = ") + value + QStringLiteral(" limit 1))");
        });
    }
    if (selection) statement += QStringLiteral(" order by ") + selection->KeyColumn;
    return statement;
}

QString TPostgresImportStatements::RewriteInsert(const QString& sql, const TInsertShape& insert, const TGuidTable& guid) {
    QStringList columns = insert.Columns;
    QStringList values = insert.Values;
    const int at = GuidIndexOf(columns);
    if (at < 0 || columns.size() != values.size()) return sql;
    const QString guidValue = values.takeAt(at);
    columns.removeAt(at);
    const QString keys = guid.Keys.join(QStringLiteral(", "));
    return QStringLiteral("WITH \"road-import row\" AS (") + InsertText(insert.Table, columns, values) +
           QStringLiteral(" RETURNING ") + keys + QStringLiteral(") INSERT INTO ") + guid.Name + QStringLiteral(" (\"GUID\", ") +
           keys + QStringLiteral(") SELECT CAST(") + guidValue + QStringLiteral(" AS uuid), ") + keys +
           QStringLiteral(" FROM \"road-import row\"");
}

// newid()'s shape, from the session's prefix and the key, so that the same row reads the same
// GUID and no two rows of a table read one.
QString TPostgresImportStatements::ReadGuidExpression(const TGuidTable& guid) const {
    const QString key = guid.Keys.size() == 1 ? guid.Keys[0] : QStringLiteral("row") + KeyTuple(guid.Keys);
    return QStringLiteral("md5(") + SqlStringLiteral(Prefix) + QStringLiteral(" || (") + key +
           QStringLiteral(")::text)::uuid");
}
