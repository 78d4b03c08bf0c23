#include "copier/ParamSetters.h"

#include "db/ADOQuery.h"

void SetIntParam(TADOQuery& statement, const QString& name, int value) {
    TParameter& parameter = statement.ParamByName(name);
    parameter.DataType = TFieldType::ftInteger;
    parameter.Value = value;
}

void SetBoundParams(TADOQuery& statement, const QVector<TBoundParam>& params) {
    for (const TBoundParam& param : params) {
        TParameter& parameter = statement.ParamByName(param.Name);
        parameter.DataType = param.DataType;
        parameter.Value = param.Value;
    }
}
