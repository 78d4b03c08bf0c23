#include "copier/RowParameters.h"

#include "db/ADOQuery.h"

void TRowParameters::Find(const TCopyPlan& plan, TADOQuery& insert, TADOQuery& update, TADOQuery& probe) {
    Slots.assign(static_cast<size_t>(plan.Columns.Count()), {});
    for (int p = plan.FirstCopied; p < plan.Columns.Count(); ++p) {
        const QString number = QString::number(p);
        std::vector<TSlot>& targets = Slots[static_cast<size_t>(p)];
        const auto add = [&](TADOQuery& query, const QString& name) {
            targets.push_back({&query, name, query.ParamIndex(name)});
        };
        add(insert, QStringLiteral("Val") + number);
        if (plan.InSetList[p]) {
            add(update, QStringLiteral("SetVal") + number);
        } else if (plan.InCondition[p]) {
            add(update, QStringLiteral("Where") + number);
            add(probe, QStringLiteral("Where") + number);
            add(update, QStringLiteral("WhereN") + number);
            add(probe, QStringLiteral("WhereN") + number);
        }
    }
}

void TRowParameters::Set(int position, TFieldType type, const QVariant& value) {
    for (const TSlot& slot : Slots[static_cast<size_t>(position)]) {
        TParameter& parameter = slot.Index >= 0 ? slot.Query->ParamAt(slot.Index) : slot.Query->ParamByName(slot.Name);
        parameter.DataType = type;
        parameter.Value = value;
    }
}
