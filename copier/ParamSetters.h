#pragma once
// The row copier's parameter setters. A name that the statement does not hold raises the
// access layer's error.

#include "db/RowSet.h"

#include <QString>

class TADOQuery;

// The parameter becomes an integer with the value.
void SetIntParam(TADOQuery& statement, const QString& name, int value);
// Every parameter takes the type and the value given for its name.
void SetBoundParams(TADOQuery& statement, const QVector<TBoundParam>& params);
