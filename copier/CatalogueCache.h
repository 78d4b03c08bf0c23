#pragma once
// What the catalogues said about each table, kept for one run of the copier: a table whose
// rows are pulled in one at a time by nested calls is introspected by its first call only.
// The run installs the cache for its duration (the catalogue does not change while it
// copies); a copy outside a run asks the catalogue on every call.

#include "copier/CopyPlan.h"
#include "support/StringList.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

class TADOConnection;

// A table's copy plan as far as the catalogues decide it.
struct TTableCatalogue {
    TStringList Columns;
    int FirstCopied = 1;
    QStringList References;
    QVector<bool> LargeObject;
};

class TCatalogueRunCache {
public:
    TCatalogueRunCache();   // becomes the current cache
    ~TCatalogueRunCache();  // the one before it is current again
    TCatalogueRunCache(const TCatalogueRunCache&) = delete;
    TCatalogueRunCache& operator=(const TCatalogueRunCache&) = delete;

    // The cache of the run in progress, or nullptr outside a run.
    static TCatalogueRunCache* Current();

    // What was kept for the table copied between these connections with these match columns
    // and this choice of key, or nullptr.
    const TTableCatalogue* Find(const QString& key) const;
    void Keep(const QString& key, const TTableCatalogue& catalogue);

    static QString KeyOf(const QString& table, const TStringList& matchColumns, bool keyFirst,
                         const TADOConnection& source, const TADOConnection& dest);

    // A whole plan composed earlier under the same key, its source text left to the caller's
    // selection; a pulled-in row is copied by a call of its own, and composing the plan again
    // for each cost more than copying the row.
    const TCopyPlan* FindPlan(const QString& key) const;
    void KeepPlan(const QString& key, const TCopyPlan& plan);

private:
    QHash<QString, TTableCatalogue> Tables;
    QHash<QString, TCopyPlan> Plans;
    TCatalogueRunCache* Previous;
};
