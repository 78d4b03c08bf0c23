#pragma once
// The shapes of the copier's own statements, as a backend that keeps the import's GUID
// columns and section links in its session (SQLite, PostgreSQL) reads them to run statements
// of its own in their place. Each shape is the text the copier composes (copier/CopyPlan.h)
// or the section link's clearing; a text of another shape is none of them.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// "INSERT INTO T(c1, c2) VALUES(v1, v2)".
struct TInsertShape {
    QString Table;
    QStringList Columns;  // blanks around each item removed
    QStringList Values;
};
std::optional<TInsertShape> InsertShapeOf(const QString& sql);
// The insert again, "INSERT INTO T DEFAULT VALUES" when no column is left.
QString InsertText(const QString& table, const QStringList& columns, const QStringList& values);

// "select i1, i2 from T ...", the keyword in either letter case.
struct TSelectShape {
    QString Keyword;    // as written
    QStringList Items;  // split at ", "
    QString Table;
    QString Rest;       // from the blanks before the FROM to the end
};
std::optional<TSelectShape> SelectShapeOf(const QString& sql);
QString SelectText(const TSelectShape& shape);

// The copier's selection of a table's rows, "select <items>  from T where K in (<selection>)".
struct TRowSelectionShape {
    QString Table;
    QString KeyColumn;
};
std::optional<TRowSelectionShape> RowSelectionShapeOf(const QString& sql);

// The table of "UPDATE T SET ...", or an empty text.
QString UpdatedTableOf(const QString& sql);

// The section link's clearing of the references that name no row:
// "Update T Set C = NULL Where C not in (Select K From R)".
struct TClearingShape {
    QString Table;
    QString Column;
    QString Selection;  // "Select K From R"
};
std::optional<TClearingShape> ClearingShapeOf(const QString& sql);

// The import's GUID column among names, in any letter case (PostgreSQL's catalogue folds
// it), or -1.
int GuidIndexOf(const QStringList& names);
// Whether the text names the GUID column at all, in any letter case.
bool NamesGuid(const QString& sql);

// Whether the text holds the copier's match condition on the GUID column (below).
bool HasGuidCondition(const QString& sql);

// The text with every match condition of the copier on the GUID column,
// "(GUID=:W or (:WN is NULL and GUID is NULL))", replaced by what condition answers for the
// value's parameter (":W").
QString WithGuidConditions(const QString& sql, const std::function<QString(const QString& valueParameter)>& condition);
