// SQLite's declared column types, SQL Server's type names among them, as field types.

#include "db/sqlite/SqliteTypes.h"

#include <QHash>

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
