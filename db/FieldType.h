#pragma once
// Field data types of the access layer. Every backend maps its column types onto this one
// enumeration; the last four are the large-object kinds, which never take part in a match
// condition of the copier.

enum class TFieldType {
    ftUnknown,
    ftString,
    ftWideString,
    ftSmallint,
    ftInteger,
    ftLargeint,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftGuid,
    ftBlob,      // binary large object
    ftMemo,      // memo
    ftGraphic,   // graphic
    ftFmtMemo,   // formatted memo
};

inline bool IsLargeObject(TFieldType type) {
    return type == TFieldType::ftBlob || type == TFieldType::ftMemo || type == TFieldType::ftGraphic ||
           type == TFieldType::ftFmtMemo;
}
