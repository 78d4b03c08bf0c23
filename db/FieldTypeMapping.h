#pragma once
// How each backend's column types map onto TFieldType, and back onto the value types that
// Qt binds.

#include "db/FieldType.h"

#include <QMetaType>
#include <QString>
#include <QVariant>
#include <QVector>

// A declared column type as a CREATE TABLE writes it ("nvarchar(50)", "int", "image").
// SQL Server's type names are understood, so a SQLite schema written with them behaves as
// SQL Server's. SQLite's grammar takes no "max" in a type: "varchar(-1)" or a size above
// 8000 stands for "varchar(max)" there. ftUnknown for an empty text (an expression column).
TFieldType FieldTypeOfDeclaredType(const QString& declaredType);

// An ODBC SQL type (SQL_INTEGER, SQL_WLONGVARCHAR, SQL_GUID, ...) with the column size the
// driver reports (SQL Server reports varchar(max) as a long type or with a size of 0).
TFieldType FieldTypeOfOdbcType(int sqlType, int columnSize);

// A PostgreSQL type OID (text, bytea, uuid, ...).
TFieldType FieldTypeOfPostgresOid(int oid, int columnSize);

// The type of an expression column, from the values it holds: the first value that is not
// NULL decides; whole numbers are ftInteger unless one needs 64 bits. ftWideString when
// every value is NULL.
TFieldType FieldTypeOfValues(const QVector<QVector<QVariant>>& rows, int column);

// The value type a parameter of the field type is bound with (for typed NULLs).
QMetaType MetaTypeOfFieldType(TFieldType type);
