#include "common/RecordingConnection.h"

TRowSet TRecordingConnection::Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) {
    Statements.append(sql);
    Params.append(params);
    return Responder ? Responder(sql, params, wantRows) : TRowSet();
}

TRowSet MakeRowSet(const QStringList& columns, const QVector<QVector<QVariant>>& rows,
                   const QVector<TFieldType>& types) {
    TRowSet result;
    for (int i = 0; i < columns.size(); ++i)
        result.Columns.append({columns[i], i < types.size() ? types[i] : TFieldType::ftWideString});
    result.Rows = rows;
    return result;
}
