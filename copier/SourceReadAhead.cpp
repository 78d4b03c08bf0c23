// Source rows of referenced tables read ahead, one statement per table, for the nested calls.

#include "copier/SourceReadAhead.h"

#include "copier/CopyPlan.h"
#include "copier/KeyMaps.h"
#include "db/ADOQuery.h"
#include "support/Exception.h"

#include <QStringList>
#include <QVector>

namespace {

TSourceRowCache* CurrentCache = nullptr;

// Keys in one statement: a long selection costs the server more than a second statement.
constexpr int KeysPerStatement = 500;
// Source rows whose references are read ahead at once.
constexpr int RowsAhead = 1000;

QString CacheKey(const QString& table, int key) { return table + QLatin1Char('|') + QString::number(key); }

// The referenced rows not copied yet, per referenced table, each key once, in the order the
// source rows name them.
void CollectReferences(const TCopyPlan& plan, const TADOQuery& source, const TKeyMaps& keyMaps, int rowsAhead,
                       QStringList& tables, QHash<QString, QVector<int>>& keys) {
    QSet<QString> seen;
    // A row of the table itself that the window holds is copied by the call's own loop, not
    // pulled in: read ahead, it would never be taken (a part of the object before it).
    for (int r = 0; r < rowsAhead; ++r) {
        bool ok = false;
        const int key = source.RowAhead(r)[0].toInt(&ok);
        if (ok) seen.insert(CacheKey(plan.Table, key));
    }
    int destKey = 0;
    for (int r = 0; r < rowsAhead; ++r) {
        const QVector<QVariant>& row = source.RowAhead(r);
        for (int p = plan.FirstCopied; p < plan.Columns.Count(); ++p) {
            const QString& referenced = plan.References[p - plan.FirstCopied];
            bool ok = false;
            const int key = row[p].toInt(&ok);
            if (referenced.isEmpty() || !ok || keyMaps.Lookup(referenced, key, destKey)) continue;
            if (seen.contains(CacheKey(referenced, key))) continue;
            seen.insert(CacheKey(referenced, key));
            if (!keys.contains(referenced)) tables.append(referenced);
            keys[referenced].append(key);
        }
    }
}

QString KeyList(const QVector<int>& keys) {
    QStringList list;
    for (int key : keys) list.append(QString::number(key));
    return list.join(QStringLiteral(", "));
}

// Reads the rows of the keys as a nested call would, each key's rows apart.
void ReadRows(const QString& table, const QVector<int>& keys, const TStringList& matchTables,
              const TStringList& matchColumns, TADOConnection& sourceConnection, TADOConnection& dest,
              TSourceRowCache& cache) {
    const TCopyPlan plan =
        PrepareCopyPlan(table, KeyList(keys), matchTables, matchColumns, sourceConnection, dest, false);
    TADOQuery query(&sourceConnection);
    query.SetSQL(plan.SourceText);
    query.Open();
    TRowSet none;
    none.Columns = query.Columns();
    QHash<int, TRowSet> found;
    for (; !query.Eof(); query.Next()) {
        TRowSet& rows = found[query.Fields(0).AsInteger()];
        if (rows.Columns.isEmpty()) rows = none;
        rows.Rows.append(*query.CurrentValues());
    }
    for (int key : keys) cache.Keep(table, key, found.value(key, none));
}

}  // namespace

TSourceRowCache::TSourceRowCache() : Previous(CurrentCache) { CurrentCache = this; }

TSourceRowCache::~TSourceRowCache() { CurrentCache = Previous; }

TSourceRowCache* TSourceRowCache::Current() { return CurrentCache; }

bool TSourceRowCache::Take(const QString& table, int key, TRowSet& rows) {
    const auto found = Rows.find(CacheKey(table, key));
    if (found == Rows.end()) return false;
    rows = found.value();
    Rows.erase(found);
    return true;
}

void TSourceRowCache::Keep(const QString& table, int key, const TRowSet& rows) { Rows.insert(CacheKey(table, key), rows); }

void ReadReferencedRowsAhead(const TCopyPlan& plan, TADOQuery& source, const TKeyMaps& keyMaps,
                             const TStringList& matchTables, const TStringList& matchColumns,
                             TADOConnection& sourceConnection, TADOConnection& dest, TSourceRowCache& cache) {
    const int rowsAhead = source.RowsAhead(RowsAhead);
    cache.ReadUpTo = source.CurrentRow() + rowsAhead;
    QStringList tables;
    QHash<QString, QVector<int>> keys;
    CollectReferences(plan, source, keyMaps, rowsAhead, tables, keys);
    for (const QString& table : tables) {
        const QVector<int>& all = keys[table];
        try {
            for (int at = 0; at < all.size(); at += KeysPerStatement)
                ReadRows(table, all.mid(at, KeysPerStatement), matchTables, matchColumns, sourceConnection, dest, cache);
        } catch (const Exception&) {
            // Left to the nested calls.
        }
    }
}

bool OpenReadAhead(TADOQuery& query, const QString& table, const QString& selection) {
    TSourceRowCache* cache = TSourceRowCache::Current();
    bool ok = false;
    const int key = selection.toInt(&ok);
    TRowSet rows;
    if (!cache || !ok || QString::number(key) != selection || !cache->Take(table, key, rows)) return false;
    query.OpenWith(rows);
    return true;
}
