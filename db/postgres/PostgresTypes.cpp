// PostgreSQL's column types, by type OID, as field types.

#include "db/postgres/PostgresTypes.h"

TFieldType FieldTypeOfPostgresOid(int oid, int /*columnSize*/) {
    // Type OIDs of pg_type (fixed in every PostgreSQL catalogue).
    switch (oid) {
    case 16: return TFieldType::ftBoolean;                                   // bool
    case 17: return TFieldType::ftBlob;                                      // bytea
    case 18:                                                                 // char
    case 19: return TFieldType::ftWideString;                                // name
    case 20: return TFieldType::ftLargeint;                                  // int8
    case 21: return TFieldType::ftSmallint;                                  // int2
    case 23:                                                                 // int4
    case 26: return TFieldType::ftInteger;                                   // oid
    case 114:                                                                // json
    case 142:                                                                // xml
    case 3802: return TFieldType::ftMemo;                                    // jsonb
    case 700:                                                                // float4
    case 701: return TFieldType::ftFloat;                                    // float8
    case 790: return TFieldType::ftCurrency;                                 // money
    // text and varchar without a length are PostgreSQL's ordinary strings: they compare
    // like any other, so they are no large objects.
    case 25:                                                                 // text
    case 1042:                                                               // bpchar
    case 1043: return TFieldType::ftWideString;                              // varchar
    case 1082: return TFieldType::ftDate;                                    // date
    case 1083:                                                               // time
    case 1266: return TFieldType::ftTime;                                    // timetz
    case 1114:                                                               // timestamp
    case 1184: return TFieldType::ftDateTime;                                // timestamptz
    case 1700: return TFieldType::ftBCD;                                     // numeric
    case 2950: return TFieldType::ftGuid;                                    // uuid
    default: return TFieldType::ftWideString;
    }
}
