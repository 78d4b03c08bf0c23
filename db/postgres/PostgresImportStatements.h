#pragma once
// The import's own statements, as PostgreSQL runs them. The GUID columns and section links
// live in the session (PostgresTempObjects.h), so the copier's statements that meet them are
// rewritten to run against the tables as they are:
// - a select list's GUID gives a value drawn from the row's key (an md5 of the session's
//   prefix and the key, as a uuid), the same for the same row throughout the session's life;
// - an insert leaves GUID out and records the value with the inserted row's key, in the same
//   statement (a data-modifying WITH), so it still costs one statement and one wait;
// - the match condition "(GUID=:W or (:WN is NULL and GUID is NULL))" finds the row recorded
//   under :W. A NULL never matches: every GUID the copier carries has a value.
// - the copier's selection of a table's rows reads a column that a link of the session names
//   as NULL where it names no row of the referenced table, as the rows would read with the
//   foreign key in place; the section link's clearing of such references
//   ("Update T Set C = NULL Where C not in (Select K From R)") is checked without being
//   carried out, so the source is only read.
// - the copier's selection of a table's rows comes in key order, as SQLite gives it: without
//   one a table gives its rows as they lie, and the rows they pull in, their counts and the
//   keys the destination gives them would change from run to run.
// Every other statement runs as written. What the session holds is asked of the server once,
// and again after it may have changed: after a statement that makes or drops one of its
// objects, and when the transaction ended (a rollback takes back what was made in it).

#include "db/RowSet.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

struct TInsertShape;

class TPostgresImportStatements {
public:
    // ask: runs a statement of the session's own (no parameters) and gives its rows.
    using TAsk = std::function<TRowSet(const QString& sql)>;
    explicit TPostgresImportStatements(TAsk ask);

    // The text to run in place of sql (sql itself when it runs as written).
    QString RewriteOf(const QString& sql);
    // What the session holds may have changed.
    void Forget();

private:
    struct TGuidTable {
        QString Name;       // quoted, with its schema
        QStringList Keys;   // the table's key columns; none: its rows cannot be told apart
    };
    struct TLink {
        QString Column, RefTable, RefColumn;
    };
    struct TState {
        QHash<QString, TGuidTable> Guids;       // by folded table name
        QHash<QString, QVector<TLink>> Links;   // by folded table name
    };

    const TState& State();
    QString Analyse(const QString& sql);
    QString RewriteInsert(const QString& sql, const TInsertShape& insert, const TGuidTable& guid);
    QString ReadGuidExpression(const TGuidTable& guid) const;

    TAsk Ask;
    QString Prefix;  // of every GUID this session draws
    std::optional<TState> Known;
    QHash<QString, QString> Rewrites;
};
