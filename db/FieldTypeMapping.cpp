// The field types of values whose column type no backend reported, and the value types that
// Qt binds for each field type.

#include "db/FieldTypeMapping.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <limits>

namespace {

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
