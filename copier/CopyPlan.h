#pragma once
// What one CopyTableRows call works out before its first row: the match columns, the column
// list with its first copied position, what each column refers to, which parameters each
// statement holds, and the four statement texts.

#include "support/StringList.h"

#include <QString>
#include <QStringList>
#include <QVector>

class TADOConnection;

struct TCopyPlan {
    QString Table;
    TStringList MatchColumns;  // empty: the table has no match columns
    TStringList Columns;       // position 0 is the key column K
    int FirstCopied = 1;       // s: 0 when the key is copied, 1 when the destination assigns it
    QStringList References;    // entry p - s: the table that column p refers to, or empty
    QVector<bool> InSetList;   // per position: the update sets the column (":SetVal" + p)
    QVector<bool> InCondition; // per position: the condition compares it (":Where" / ":WhereN" + p)
    QString InsertText;
    QString UpdateText;
    QString ProbeText;
    QString SourceText;
    QString SourcePrefix;  // the source text up to its selection, which a ")" closes
    bool HasSetList = false;
    bool HasCondition = false;

    const QString& KeyColumn() const { return Columns[0]; }
    bool HasMatchColumns() const { return !MatchColumns.IsEmpty(); }
};

// The match columns of a table: the split entry at its first position in the match-table
// list, or none when the table is not listed.
void FindMatchColumns(const QString& table, const TStringList& matchTables, const TStringList& matchColumns,
                      TStringList& columns);

// Fills the statement texts and the per-position parameter flags from the table, its
// columns, s, the match columns and which columns are large objects. Touches no database.
void ComposeStatementTexts(TCopyPlan& plan, const QVector<bool>& largeObject, const QString& selection);

// Works the whole plan out from the source catalogue and the destination's column types
// (during a run, once per table: CatalogueCache.h).
// Raises when KeyFirst is asked of a table without match columns, and when the condition
// comes out empty: without one the probe would find an arbitrary row and an update would
// change every row of the table.
TCopyPlan PrepareCopyPlan(const QString& table, const QString& selection, const TStringList& matchTables,
                          const TStringList& matchColumns, TADOConnection& source, TADOConnection& dest,
                          bool keyFirst);
