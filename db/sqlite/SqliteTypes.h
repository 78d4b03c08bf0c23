#pragma once
// SQLite's declared column types as field types.

#include "db/FieldType.h"

#include <QString>

// A declared column type as a CREATE TABLE writes it ("nvarchar(50)", "int", "image").
// SQL Server's type names are understood, so a SQLite schema written with them behaves as
// SQL Server's. SQLite's grammar takes no "max" in a type: "varchar(-1)" or a size above
// 8000 stands for "varchar(max)" there. ftUnknown for an empty text (an expression column).
TFieldType FieldTypeOfDeclaredType(const QString& declaredType);
