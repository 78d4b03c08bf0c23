#pragma once
// A parameter's value as it is handed to a driver, so that the server stores exactly the
// value the source field held. Exact decimals (decimal, numeric, money) travel as their
// text: the servers convert the text to the column's type without rounding, and compare a
// match column with it the same way. A backend that cannot take such a text converts it
// itself (db/sqlite/SqliteValues.h).

#include "db/RowSet.h"

#include <QVariant>

// The value bound for the parameter: a NULL of the parameter's type for a null value, the
// value otherwise.
QVariant BindValueOf(const TBoundParam& param);

// The value, an empty binary or text value kept as an empty one: the drivers bind
// a null QByteArray or QString as SQL NULL, and an empty value is not NULL.
QVariant WithEmptyKept(const QVariant& value);

// Whether values of the field type are exact decimals carried as text.
bool IsExactDecimalType(TFieldType type);
