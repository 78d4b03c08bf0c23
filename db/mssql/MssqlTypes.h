#pragma once
// SQL Server's column types, as ODBC reports them, as field types.

#include "db/FieldType.h"

// An ODBC SQL type (SQL_INTEGER, SQL_WLONGVARCHAR, SQL_GUID, ...) with the column size the
// driver reports (SQL Server reports varchar(max) as a long type or with a size of 0).
TFieldType FieldTypeOfOdbcType(int sqlType, int columnSize);
