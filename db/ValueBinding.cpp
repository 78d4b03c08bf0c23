// Values as they are bound: typed NULLs, empty values kept empty.

#include "db/ValueBinding.h"

#include "db/DbError.h"
#include "db/FieldTypeMapping.h"
#include "db/RawText.h"

QVariant WithEmptyKept(const QVariant& value) {
    if (value.typeId() == QMetaType::QByteArray && value.toByteArray().isNull()) return QByteArray("", 0);
    if (value.typeId() == QMetaType::QString && value.toString().isNull()) return QStringLiteral("");
    return value;
}

bool IsExactDecimalType(TFieldType type) { return type == TFieldType::ftBCD || type == TFieldType::ftCurrency; }

QVariant BindValueOf(const TBoundParam& param) {
    if (param.Value.isNull()) return QVariant(MetaTypeOfFieldType(param.DataType));
    // Only a backend that stores such bytes as they are binds them (KeepsRawText).
    if (IsRawText(param.Value))
        throw EDatabaseError(QStringLiteral("Значение параметра %1 не является текстом в кодировке UTF-8").arg(param.Name));
    return WithEmptyKept(param.Value);
}
