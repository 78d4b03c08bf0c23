// The GUID statements of a run, carried out in the import's session.

#include "db/SessionGuids.h"

#include "db/Dialect.h"
#include "db/StatementRunner.h"

std::optional<TGuidStep> GuidStepOf(const TDialect& dialect, const QString& table, const QString& statement) {
    if (statement == dialect.AddGuidColumnStatement(table)) return TGuidStep::Add;
    if (statement == dialect.FillGuidStatement(table)) return TGuidStep::Fill;
    if (statement == dialect.DropGuidColumnStatement(table)) return TGuidStep::Drop;
    return std::nullopt;
}

void ExecuteGuidStep(TGuidStep step, const QString& statement, const TSessionGuids& guids, TStatementRunner& runner,
                     const QString& table) {
    const TGuidPlace place = guids.PlaceOf(runner, table);
    if (!place.UserTable) return;
    switch (step) {
    case TGuidStep::Add:
        if (place.InSession || place.Stored) guids.RefuseAdd(runner, table, statement, place);
        guids.Add(runner, table);
        return;
    case TGuidStep::Fill:
        // Nothing to fill: a row read draws its GUID, a row written records it. The GUID is
        // made here where the add was refused for a column left in the table.
        if (!place.InSession) guids.Add(runner, table);
        return;
    case TGuidStep::Drop:
        if (place.InSession) guids.Drop(runner, table);
        if (place.Stored) ExecuteText(runner, statement);
        else if (!place.InSession) guids.RefuseDrop(runner, table, statement);
        return;
    }
}
