#pragma once
// The field types of an expression column, from its values, and the value types that Qt
// binds for each field type. Each backend maps its own column types onto TFieldType in its
// folder (SqliteTypes.h, PostgresTypes.h, MssqlTypes.h).

#include "db/FieldType.h"

#include <QMetaType>
#include <QVariant>
#include <QVector>

// The type of an expression column, from the values it holds: the first value that is not
// NULL decides; whole numbers are ftInteger unless one needs 64 bits. ftWideString when
// every value is NULL.
TFieldType FieldTypeOfValues(const QVector<QVector<QVariant>>& rows, int column);

// The value type a parameter of the field type is bound with (for typed NULLs).
QMetaType MetaTypeOfFieldType(TFieldType type);
