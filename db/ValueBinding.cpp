// Values as they are bound: typed NULLs, empty values kept empty.

#include "db/ValueBinding.h"

#include "db/FieldTypeMapping.h"

QVariant WithEmptyKept(const QVariant& value) {
    if (value.typeId() == QMetaType::QByteArray && value.toByteArray().isNull()) return QByteArray("", 0);
    if (value.typeId() == QMetaType::QString && value.toString().isNull()) return QStringLiteral("");
    return value;
}

bool IsExactDecimalType(TFieldType type) { return type == TFieldType::ftBCD || type == TFieldType::ftCurrency; }

QVariant BindValueOf(const TBoundParam& param) {
    if (param.Value.isNull()) return QVariant(MetaTypeOfFieldType(param.DataType));
    return WithEmptyKept(param.Value);
}
