#pragma once
// Statements prepared by the server with their parameters typed by it, and values sent as the
// text the server reads them from.
//
// A parameter takes the type of what it meets ("col = $1", "values ($1)"). One that only
// meets "is NULL" (the copier's ":WhereN5 is NULL and col is NULL") gives the server nothing to
// type it by, so it is typed by the column it is paired with: the server describes a typing
// text in which that occurrence reads "coalesce($2, col) is NULL", and the statement is
// prepared with the types it reports.

#include "db/RowSet.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

struct TPostgresPreparedText {
    QByteArray Text;        // UTF-8, every ":Name" outside quotes and comments as "$n"
    QStringList Names;      // the name of each $n (a name used twice is one parameter)
    QByteArray TypingText;  // empty when the server can type every parameter of Text itself
};

TPostgresPreparedText PostgresPreparedText(const QString& sql);

// The parameters' texts in the order of names, for the values given by name; nullopt for NULL.
// Raises "Параметр \"Name\" не найден", and for a text that holds a NUL character, which no
// PostgreSQL text can hold.
QVector<std::optional<QByteArray>> PostgresParameterTexts(const QStringList& names,
                                                          const QVector<TBoundParam>& params);

// One value as its text: numbers as the shortest text that reads back the same, binary values
// in hex, date-times with their offset from UTC (PostgresStatement.h says why).
std::optional<QByteArray> PostgresParameterText(const QVariant& value);
