#pragma once
// The statements of the copier that name the import's GUID column of a table whose GUID
// lives in the connection (SqliteTempObjects.h), rewritten so that they run against the
// file's table as it is:
// - a select list's GUID gives a value drawn from the row's id (its primary key in a
//   WITHOUT ROWID table), the same for the same row throughout the connection's life;
// - an insert leaves GUID out and records the value with the inserted row afterwards;
// - the match condition "(GUID=:W or (:WN is NULL and GUID is NULL))" finds the rows
//   recorded under :W. A NULL never matches: every GUID the copier carries has a value.
// Every other statement, and every statement of a table whose GUID does not live in the
// connection (then it names a column of the file or none), runs as written.

#include <QByteArray>
#include <QHash>
#include <QString>

struct sqlite3;

struct TSqliteGuidRewrite {
    QString Statement;  // runs in place of the text
    QString Record;     // runs after it with the same parameters, when not empty
};

class TSqliteGuidStatements {
public:
    TSqliteGuidStatements();

    // The rewrite of the text on this connection, or nullptr when it runs as written.
    const TSqliteGuidRewrite* RewriteOf(sqlite3* handle, const QString& sql);

private:
    struct TEntry {
        QByteArray GuidTable;  // the TEMP table that must exist for the rewrite to apply
        TSqliteGuidRewrite Rewrite;
    };

    // The rewrite for the text whatever the TEMP schema holds; an entry without a GUID
    // table when the text does not name the column.
    TEntry Analyse(sqlite3* handle, const QString& sql) const;

    QString Prefix;  // of every GUID this connection draws
    QHash<QString, TEntry> Entries;
};
