#pragma once
// Writes the rows of one table of the sample database through one parameterised insert.

#include "db/ADOQuery.h"

#include <QStringList>
#include <QVariantList>

class TADOConnection;

class TRowWriter {
public:
    TRowWriter(TADOConnection& connection, const QString& table, const QStringList& columns);
    // One row, values in column order; a null QVariant writes NULL.
    void Write(const QVariantList& values);

private:
    TADOQuery Query;
    int ColumnCount;
};

// Runs one statement that returns no rows.
void ExecuteStatement(TADOConnection& connection, const QString& sql);
