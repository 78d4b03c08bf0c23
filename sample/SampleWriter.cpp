#include "sample/SampleWriter.h"

#include "support/Exception.h"

#include <QByteArray>

static TFieldType FieldTypeOf(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return TFieldType::ftInteger;
    case QMetaType::Double: return TFieldType::ftFloat;
    case QMetaType::QByteArray: return TFieldType::ftBlob;
    case QMetaType::QString: return TFieldType::ftWideString;
    default: return TFieldType::ftUnknown;
    }
}

TRowWriter::TRowWriter(TADOConnection& connection, const QString& table, const QStringList& columns)
    : Query(&connection), ColumnCount(static_cast<int>(columns.size())) {
    QStringList values;
    for (int i = 0; i < ColumnCount; ++i) values << QStringLiteral(":p") + QString::number(i);
    Query.SetSQL(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + columns.join(QStringLiteral(", ")) +
                 QStringLiteral(") VALUES (") + values.join(QStringLiteral(", ")) + QStringLiteral(")"));
}

void TRowWriter::Write(const QVariantList& values) {
    if (values.size() != ColumnCount)
        throw Exception(QStringLiteral("Неверное число значений для записи: ") + Query.SQL());
    for (int i = 0; i < ColumnCount; ++i) {
        TParameter& param = Query.ParamByName(QStringLiteral("p") + QString::number(i));
        param.DataType = FieldTypeOf(values[i]);
        param.Value = values[i];
    }
    Query.ExecSQL();
}

void ExecuteStatement(TADOConnection& connection, const QString& sql) {
    TADOQuery query(&connection);
    query.SetSQL(sql);
    query.ExecSQL();
}
