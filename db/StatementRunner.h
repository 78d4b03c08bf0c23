#pragma once
// What runs a statement for the parts of the layer that sit below the connection: a
// backend's dialect and its import claim get the runner from their caller (TADOConnection is
// one) rather than making a connection or a query of their own.

#include "db/RowSet.h"

#include <QString>
#include <QVariant>

class TStatementRunner {
public:
    virtual ~TStatementRunner() = default;

    // Runs one statement text with its named parameters; wantRows: fetch its rows. Raises
    // EDatabaseError.
    virtual TRowSet Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) = 0;
    // Whether statements can run now.
    virtual bool Connected() const = 0;
};

// A statement without parameters whose rows are not wanted.
void ExecuteText(TStatementRunner& runner, const QString& sql);
// The rows of a statement without parameters.
TRowSet RowsOf(TStatementRunner& runner, const QString& sql);
// The first field of the first row of a statement without parameters; a null QVariant when
// it returns no row.
QVariant ScalarOf(TStatementRunner& runner, const QString& sql);
