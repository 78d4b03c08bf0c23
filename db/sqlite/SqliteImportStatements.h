#pragma once
// The import's own statements, as SQLite runs them.
// The statements of the copier that name the import's GUID column of a table whose GUID
// lives in the connection (SqliteTempObjects.h) are rewritten so that they run against the
// file's table as it is:
// - a select list's GUID gives a value drawn from the row's id (its primary key in a
//   WITHOUT ROWID table), the same for the same row throughout the connection's life;
// - an insert leaves GUID out and records the value with the inserted row afterwards;
// - the match condition "(GUID=:W or (:WN is NULL and GUID is NULL))" finds the rows
//   recorded under :W. A NULL never matches: every GUID the copier carries has a value.
// Every statement of a table whose GUID does not live in the connection (then it names a
// column of the file or none) runs as written.
// The section link's clearing of the references that name no row ("Update T Set C = NULL
// Where C not in (Select K From R)") updates the rows that a scan of an index on C finds,
// where there is one: testing the condition on every row of a wide table would read all of
// it, and the source may be much larger than the titles.
// Every other statement runs as written.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

struct sqlite3;

// How the rows of a table are told apart: its row id, or, in a WITHOUT ROWID table, its
// primary key columns.
struct TSqliteRowIdentity {
    bool HasRowid = true;
    QStringList KeyColumns;
};

struct TSqliteRewrite {
    QString Statement;  // runs in place of the text
    QString Record;     // runs after it with the same parameters, when not empty
};

class TSqliteImportStatements {
public:
    TSqliteImportStatements();

    // The rewrite of the text on this connection, or nullptr when it runs as written.
    const TSqliteRewrite* RewriteOf(sqlite3* handle, const QString& sql);
    // The connection's TEMP schema may have changed (a transaction ended or began, a statement
    // failed and may have rolled one back): whether each GUID lives there is asked again.
    void TempSchemaMayHaveChanged() { ++Generation; }

private:
    struct TEntry {
        bool Rewritten = false;
        QByteArray GuidTable;  // the TEMP table that must exist for the rewrite to apply, if any
        TSqliteRewrite Rewrite;
    };

    // The rewrite for the text whatever the TEMP schema holds.
    TEntry Analyse(sqlite3* handle, const QString& sql);
    TEntry AnalyseGuidStatement(sqlite3* handle, const QString& sql);

    QString Prefix;  // of every GUID this connection draws
    QHash<QString, TEntry> Entries;
    QHash<QString, TSqliteRowIdentity> Identities;  // of the tables met, until a GUID is made or dropped
    // The GUID tables found in the TEMP schema, with the generation they were found in: asking
    // SQLite for every statement of every row cost more than the statement's own lookups.
    QHash<QByteArray, int> FoundIn;
    int Generation = 0;
};
