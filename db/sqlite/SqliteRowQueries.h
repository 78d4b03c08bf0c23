#pragma once
// Statements whose rows are wanted, run on the sqlite3 handle itself rather than through the
// driver: the driver reads TEXT as UTF-16, which puts replacement characters where the bytes
// are no valid UTF-8, and SQLite then holds only the converted value. Read here, such text
// arrives as its bytes (TRawText); everything else as the driver would give it (integers as
// 64-bit, reals as doubles, blobs and text kept apart from NULL when empty). Each text is
// prepared once and kept.

#include "db/RowSet.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>

struct sqlite3;
struct sqlite3_stmt;

// SQLite's extended result code and its text; a code of 0 is no failure.
struct TSqliteFailure {
    int Code = 0;
    QString Message;
};

class TSqliteRowQueries {
public:
    explicit TSqliteRowQueries(sqlite3* handle) : Handle(handle) {}
    ~TSqliteRowQueries();  // every statement finalized
    TSqliteRowQueries(const TSqliteRowQueries&) = delete;
    TSqliteRowQueries& operator=(const TSqliteRowQueries&) = delete;

    // Runs a text with positional "?" placeholders and their values in order. returnedRows:
    // the statement has result columns; then rows holds them and every row.
    TSqliteFailure Run(const QString& positionalText, const QVector<QVariant>& values, TRowSet& rows,
                       bool& returnedRows);

private:
    sqlite3_stmt* StatementOf(const QString& text, TSqliteFailure& failure);
    void Bind(sqlite3_stmt* statement, int index, const QVariant& value) const;
    QVariant ColumnValue(sqlite3_stmt* statement, int column) const;
    TSqliteFailure FailureNow() const;

    sqlite3* Handle;
    QHash<QString, sqlite3_stmt*> Prepared;
};
