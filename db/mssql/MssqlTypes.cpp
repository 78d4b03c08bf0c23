// SQL Server's column types, as ODBC reports them, as field types.

#include "db/mssql/MssqlTypes.h"

TFieldType FieldTypeOfOdbcType(int sqlType, int columnSize) {
    // ODBC SQL type codes (sql.h, sqlext.h, and SQL Server's own in msodbcsql.h).
    const bool unlimited = columnSize <= 0 || columnSize > 8000;
    switch (sqlType) {
    case 1: return TFieldType::ftString;                                      // SQL_CHAR
    case 12: return unlimited ? TFieldType::ftMemo : TFieldType::ftString;    // SQL_VARCHAR
    case -8: return TFieldType::ftWideString;                                 // SQL_WCHAR
    case -9: return unlimited ? TFieldType::ftMemo : TFieldType::ftWideString;  // SQL_WVARCHAR
    case -1:                                                                  // SQL_LONGVARCHAR
    case -10:                                                                 // SQL_WLONGVARCHAR
    case -152: return TFieldType::ftMemo;                                     // SQL_SS_XML
    case -2: return TFieldType::ftBytes;                                      // SQL_BINARY
    case -3: return unlimited ? TFieldType::ftBlob : TFieldType::ftVarBytes;  // SQL_VARBINARY
    case -4: return TFieldType::ftBlob;                                       // SQL_LONGVARBINARY
    case -11: return TFieldType::ftGuid;                                      // SQL_GUID
    case -7: return TFieldType::ftBoolean;                                    // SQL_BIT
    case -6:                                                                  // SQL_TINYINT
    case 5: return TFieldType::ftSmallint;                                    // SQL_SMALLINT
    case 4: return TFieldType::ftInteger;                                     // SQL_INTEGER
    case -5: return TFieldType::ftLargeint;                                   // SQL_BIGINT
    case 6:                                                                   // SQL_FLOAT
    case 7:                                                                   // SQL_REAL
    case 8: return TFieldType::ftFloat;                                       // SQL_DOUBLE
    case 2:                                                                   // SQL_NUMERIC
    case 3: return TFieldType::ftBCD;                                         // SQL_DECIMAL
    case 9:                                                                   // SQL_DATE (ODBC 2)
    case 91: return TFieldType::ftDate;                                       // SQL_TYPE_DATE
    case 10:                                                                  // SQL_TIME (ODBC 2)
    case 92:                                                                  // SQL_TYPE_TIME
    case -154: return TFieldType::ftTime;                                     // SQL_SS_TIME2
    case 11:                                                                  // SQL_TIMESTAMP
    case 93:                                                                  // SQL_TYPE_TIMESTAMP
    case -155: return TFieldType::ftDateTime;                                 // SQL_SS_TIMESTAMPOFFSET
    default: return TFieldType::ftWideString;                                 // sql_variant and others
    }
}
