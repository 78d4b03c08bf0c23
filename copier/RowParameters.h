#pragma once
// Where each copied column's value goes in a table's three statements: the insert's ":Val",
// the update's ":SetVal" or its condition, and the probe's condition (":Where" and ":WhereN"
// each). Found once per call, since naming them for every value cost more than the copy.

#include "copier/CopyPlan.h"
#include "db/FieldType.h"

#include <QVariant>
#include <vector>

class TADOQuery;

class TRowParameters {
public:
    // After the statements' texts are set from the plan. A parameter that a statement does
    // not hold raises the access layer's error when its column is first bound.
    void Find(const TCopyPlan& plan, TADOQuery& insert, TADOQuery& update, TADOQuery& probe);
    // Every parameter of the column takes the type and the value (a null QVariant: NULL).
    void Set(int position, TFieldType type, const QVariant& value);

private:
    struct TSlot {
        TADOQuery* Query;
        QString Name;  // to raise the error of a parameter the statement does not hold
        int Index;     // among the query's parameters, or -1
    };
    std::vector<std::vector<TSlot>> Slots;  // per position
};
