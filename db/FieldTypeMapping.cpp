#include "db/FieldTypeMapping.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QTime>
#include <limits>

namespace {

// The declared type split into its lower-case name ("character varying") and the text in
// its parentheses ("max", "50", "18, 4"), blanks collapsed.
struct TDeclaredType {
    QString Name;
    QString Size;
};

TDeclaredType SplitDeclaredType(const QString& declaredType) {
    TDeclaredType result;
    QString text = declaredType.toLower().simplified();
    const int open = text.indexOf(QLatin1Char('('));
    if (open >= 0) {
        const int close = text.indexOf(QLatin1Char(')'), open);
        result.Size = text.mid(open + 1, close < 0 ? -1 : close - open - 1).trimmed();
        text = text.left(open).trimmed();
    }
    result.Name = text;
    return result;
}

const QHash<QString, TFieldType>& KnownDeclaredTypes() {
    using F = TFieldType;
    static const QHash<QString, TFieldType> types{
        {"int", F::ftInteger},           {"integer", F::ftInteger},
        {"int4", F::ftInteger},          {"mediumint", F::ftInteger},
        {"smallint", F::ftSmallint},     {"tinyint", F::ftSmallint},
        {"int2", F::ftSmallint},         {"bigint", F::ftLargeint},
        {"int8", F::ftLargeint},         {"unsigned big int", F::ftLargeint},
        {"bit", F::ftBoolean},           {"boolean", F::ftBoolean},
        {"bool", F::ftBoolean},          {"float", F::ftFloat},
        {"real", F::ftFloat},            {"double", F::ftFloat},
        {"double precision", F::ftFloat}, {"float4", F::ftFloat},
        {"float8", F::ftFloat},          {"numeric", F::ftBCD},
        {"decimal", F::ftBCD},           {"money", F::ftCurrency},
        {"smallmoney", F::ftCurrency},   {"datetime", F::ftDateTime},
        {"smalldatetime", F::ftDateTime}, {"datetime2", F::ftDateTime},
        {"datetimeoffset", F::ftDateTime}, {"timestamp", F::ftDateTime},
        {"date", F::ftDate},             {"time", F::ftTime},
        {"uniqueidentifier", F::ftGuid}, {"uuid", F::ftGuid},
        {"guid", F::ftGuid},             {"char", F::ftString},
        {"varchar", F::ftString},        {"character", F::ftString},
        {"character varying", F::ftString}, {"varying character", F::ftString},
        {"nchar", F::ftWideString},      {"nvarchar", F::ftWideString},
        {"national char", F::ftWideString}, {"national character", F::ftWideString},
        {"national varchar", F::ftWideString}, {"native character", F::ftWideString},
        {"nvarchar2", F::ftWideString},  {"text", F::ftMemo},
        {"ntext", F::ftMemo},            {"clob", F::ftMemo},
        {"memo", F::ftMemo},             {"tinytext", F::ftMemo},
        {"mediumtext", F::ftMemo},       {"longtext", F::ftMemo},
        {"xml", F::ftMemo},              {"long varchar", F::ftMemo},
        {"blob", F::ftBlob},             {"mediumblob", F::ftBlob},
        {"longblob", F::ftBlob},         {"image", F::ftGraphic},
        {"binary", F::ftBytes},          {"varbinary", F::ftVarBytes},
    };
    return types;
}

// SQLite's own affinity rules for a type name it does not know by name.
TFieldType FieldTypeOfAffinity(const QString& name) {
    if (name.contains(QLatin1String("int"))) return TFieldType::ftInteger;
    if (name.contains(QLatin1String("clob")) || name.contains(QLatin1String("text")))
        return TFieldType::ftMemo;
    if (name.contains(QLatin1String("char"))) return TFieldType::ftWideString;
    if (name.contains(QLatin1String("blob"))) return TFieldType::ftBlob;
    if (name.contains(QLatin1String("real")) || name.contains(QLatin1String("floa")) ||
        name.contains(QLatin1String("doub")))
        return TFieldType::ftFloat;
    return TFieldType::ftUnknown;
}

// Character and binary types of unlimited size are large objects ("varchar(max)").
TFieldType WithMaxSize(TFieldType type, bool isMax) {
    if (!isMax) return type;
    switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftWideString: return TFieldType::ftMemo;
    case TFieldType::ftVarBytes:
    case TFieldType::ftBytes: return TFieldType::ftBlob;
    default: return type;
    }
}

bool IsWholeNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort: return true;
    default: return false;
    }
}

bool FitsInInt(const QVariant& value) {
    const qlonglong v = value.toLongLong();
    return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
}

}  // namespace

TFieldType FieldTypeOfDeclaredType(const QString& declaredType) {
    const TDeclaredType declared = SplitDeclaredType(declaredType);
    if (declared.Name.isEmpty()) return TFieldType::ftUnknown;
    const auto known = KnownDeclaredTypes().constFind(declared.Name);
    if (known == KnownDeclaredTypes().constEnd()) return FieldTypeOfAffinity(declared.Name);
    // SQLite's grammar takes no "max" in a type: a size of -1 or above SQL Server's 8000
    // stands for it there.
    bool numeric = false;
    const qlonglong size = declared.Size.toLongLong(&numeric);
    const bool isMax = declared.Size == QLatin1String("max") || (numeric && (size < 0 || size > 8000));
    return WithMaxSize(*known, isMax);
}

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

TFieldType FieldTypeOfValues(const QVector<QVector<QVariant>>& rows, int column) {
    TFieldType type = TFieldType::ftUnknown;
    for (const QVector<QVariant>& row : rows) {
        const QVariant& value = row[column];
        if (value.isNull()) continue;
        if (IsWholeNumber(value)) {
            if (!FitsInInt(value)) return TFieldType::ftLargeint;
            type = TFieldType::ftInteger;
            continue;  // a later value may need 64 bits
        }
        if (type != TFieldType::ftUnknown) continue;
        switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float: return TFieldType::ftFloat;
        case QMetaType::QByteArray: return TFieldType::ftBlob;
        case QMetaType::Bool: return TFieldType::ftBoolean;
        default: return TFieldType::ftWideString;
        }
    }
    return type == TFieldType::ftUnknown ? TFieldType::ftWideString : type;
}

QMetaType MetaTypeOfFieldType(TFieldType type) {
    switch (type) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger: return QMetaType::fromType<int>();
    case TFieldType::ftLargeint: return QMetaType::fromType<qlonglong>();
    case TFieldType::ftBoolean: return QMetaType::fromType<bool>();
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD: return QMetaType::fromType<double>();
    case TFieldType::ftDate: return QMetaType::fromType<QDate>();
    case TFieldType::ftTime: return QMetaType::fromType<QTime>();
    case TFieldType::ftDateTime: return QMetaType::fromType<QDateTime>();
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
    case TFieldType::ftBlob:
    case TFieldType::ftGraphic: return QMetaType::fromType<QByteArray>();
    case TFieldType::ftUnknown:
    case TFieldType::ftString:
    case TFieldType::ftWideString:
    case TFieldType::ftGuid:
    case TFieldType::ftMemo:
    case TFieldType::ftFmtMemo: return QMetaType::fromType<QString>();
    }
    return QMetaType::fromType<QString>();
}
