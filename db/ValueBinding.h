#pragma once
// A parameter's value as it is handed to a backend's driver, so that the server stores
// exactly the value the source field held.
//
// Exact decimals (decimal, numeric, money) travel as their text: SQL Server and PostgreSQL
// convert the text to the column's type without rounding, and compare a match column with
// it the same way. SQLite has no exact decimal type: a decimal column keeps a 64-bit
// integer or a double, so a decimal text is bound as the one of them that holds it
// exactly, and a text that neither can hold is refused rather than rounded.

#include "db/ADOConnection.h"
#include "db/Dialect.h"

#include <QVariant>

// The value bound for the parameter on the backend: a NULL of the parameter's type for a
// null value, the value otherwise (converted as above). Raises EDatabaseError for a value
// that the backend cannot store exactly.
QVariant BindValueOf(const TBoundParam& param, TBackendKind kind);

// The value, an empty binary or text value kept as an empty one: the drivers bind
// a null QByteArray or QString as SQL NULL, and an empty value is not NULL.
QVariant WithEmptyKept(const QVariant& value);

// Whether values of the field type are exact decimals carried as text.
bool IsExactDecimalType(TFieldType type);

// The integer or double that SQLite stores a decimal text as, when it holds the number
// exactly; the text itself when it is no number (SQLite keeps such a text as it is).
// Raises EDatabaseError "Значение <text> нельзя записать в базу SQLite без потери
// точности" otherwise.
QVariant SqliteValueOfDecimalText(const QString& text);
