#pragma once
// What one statement takes and gives back, whatever the backend: its named parameters and
// its whole result, fetched to the client; and a statement of a batch, which travels with others.

#include "db/FieldType.h"

#include <QString>
#include <QVariant>
#include <QVector>

struct TColumnInfo {
    QString Name;
    TFieldType DataType = TFieldType::ftUnknown;
};

// The whole result of one statement, fetched to the client.
struct TRowSet {
    QVector<TColumnInfo> Columns;
    QVector<QVector<QVariant>> Rows;
    int RowsAffected = -1;
};

// A named parameter as the statement text holds it (":Name", without the colon here).
struct TBoundParam {
    QString Name;
    TFieldType DataType = TFieldType::ftUnknown;
    QVariant Value;  // a null QVariant is SQL NULL
};

// One statement of a batch (TADOConnection::RunBatch): its text, its named parameters, and
// whether its rows are wanted.
struct TBatchStatement {
    QString Sql;
    QVector<TBoundParam> Params;
    bool WantRows = false;
};
