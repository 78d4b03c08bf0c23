#pragma once
// The row copier's parameter setters. A name that the statement does not hold raises the
// access layer's error.

#include "db/RowSet.h"

#include <QString>

class TADOQuery;
class TField;

// The parameter takes the field's data type and value; a NULL field gives a NULL of that type.
void SetFieldParam(TADOQuery& statement, const QString& name, const TField& field);
// The parameter becomes an integer with the value.
void SetIntParam(TADOQuery& statement, const QString& name, int value);
// The parameter becomes an integer NULL.
void SetNullIntParam(TADOQuery& statement, const QString& name);
// Every parameter takes the type and the value given for its name.
void SetBoundParams(TADOQuery& statement, const QVector<TBoundParam>& params);
