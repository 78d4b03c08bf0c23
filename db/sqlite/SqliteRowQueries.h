#pragma once
// Statements run on the sqlite3 handle itself rather than through the driver, which binds and
// steps each one at several times SQLite's own cost, and reads TEXT as UTF-16, which puts
// replacement characters where the bytes are no valid UTF-8 (SQLite then holds only the
// converted value). Read here, such text
// arrives as its bytes (TRawText); everything else as the driver would give it (integers as
// 64-bit, reals as doubles, blobs and text kept apart from NULL when empty). Each text is
// prepared once and kept.

#include "db/RowSet.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// SQLite's extended result code and its text; a code of 0 is no failure.
struct TSqliteFailure {
    int Code = 0;
    QString Message;
};

class TSqliteRowQueries;

// A statement stepped as its rows are read: one of its own, since a statement that is kept and
// reset for the next run of its text must not be under way. Handed back reset when the cursor
// goes, for the next cursor of the same text; finalized when the connection's statements are
// (the cursor then reads as ended).
class TSqliteRowCursor {
public:
    ~TSqliteRowCursor();
    TSqliteRowCursor(const TSqliteRowCursor&) = delete;
    TSqliteRowCursor& operator=(const TSqliteRowCursor&) = delete;

    const QVector<TColumnInfo>& Columns() const { return ColumnInfo; }
    // The next row; false after the last one, or with failure set when a step failed or the
    // cursor was interrupted.
    bool Next(QVector<QVariant>& row, TSqliteFailure& failure);

private:
    friend class TSqliteRowQueries;
    TSqliteRowCursor(TSqliteRowQueries& owner, sqlite3_stmt* statement, const QString& text)
        : Owner(&owner), Statement(statement), Text(text) {}
    // Steps once; whether a row is at hand.
    bool Step(TSqliteFailure& failure);

    TSqliteRowQueries* Owner;
    sqlite3_stmt* Statement;
    QString Text;  // the statement goes back to its owner's idle ones under it
    QVector<TColumnInfo> ColumnInfo;
    bool HaveRow = false;      // a row stepped to and not read yet
    bool Interrupted = false;  // finalized before its last row was read
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
    // Finalizes every open cursor's statement, so that the connection's schema can change
    // (SQLite drops no table while a statement reads); reading one of them afterwards fails.
    void InterruptCursors();
    // The same text as a cursor, stepped to its first row.
    TSqliteFailure OpenCursor(const QString& positionalText, const QVector<QVariant>& values,
                              std::unique_ptr<TSqliteRowCursor>& cursor);

private:
    friend class TSqliteRowCursor;
    sqlite3_stmt* StatementOf(const QString& text, TSqliteFailure& failure);
    // A statement of its own for the text, or nullptr with failure set.
    sqlite3_stmt* Prepare(const QString& text, TSqliteFailure& failure);
    // A cursor's statement of that text: an idle one, or one prepared for it.
    sqlite3_stmt* CursorStatementOf(const QString& text, TSqliteFailure& failure);
    void ReturnCursorStatement(const QString& text, sqlite3_stmt* statement);
    // The result columns, read once per preparation of the statement (SQLite prepares a
    // statement again by itself when the schema it read has changed).
    const QVector<TColumnInfo>& ColumnsOf(sqlite3_stmt* statement);
    void Finalize(sqlite3_stmt* statement);
    void FinalizeIdle();
    void Bind(sqlite3_stmt* statement, int index, const QVariant& value) const;
    static QVariant ColumnValue(sqlite3_stmt* statement, int column);
    static void ReadRow(sqlite3_stmt* statement, int columns, QVector<QVariant>& row);
    TSqliteFailure FailureNow() const;

    sqlite3* Handle;
    QHash<QString, sqlite3_stmt*> Prepared;
    QMultiHash<QString, sqlite3_stmt*> IdleCursorStatements;
    struct TKnownColumns {
        int Preparations = -1;
        QVector<TColumnInfo> Columns;
    };
    QHash<sqlite3_stmt*, TKnownColumns> Columns;
    QSet<TSqliteRowCursor*> Cursors;  // open, finalized with the connection's statements
};
