#include "copier/KeyMaps.h"

#include "copier/CopierLog.h"
#include "copier/ParamSetters.h"
#include "copier/Transaction.h"
#include "db/ADOQuery.h"
#include "db/RunEnding.h"
#include "support/Exception.h"

#include <algorithm>
#include <exception>

int TKeyMaps::AddTable(const QString& table) {
    Maps.push_back(std::make_unique<TKeyMap>());
    return Names.Add(table);
}

TKeyMap* TKeyMaps::MapOf(const QString& table) const {
    // Asked for every value of every row, nearly always as the name was first recorded: that
    // is found without folding case.
    const QStringList& names = Names.Strings();
    for (int i = 0; i < names.size(); ++i)
        if (names[i] == table) return Maps[i].get();
    const int index = Names.IndexOf(table);
    return index < 0 ? nullptr : Maps[index].get();
}

bool TKeyMaps::Lookup(const QString& table, int sourceKey, int& destKey) const {
    const TKeyMap* map = MapOf(table);
    return map && map->Lookup(sourceKey, destKey);
}

int TKeyMaps::Record(const QString& table, int sourceKey, int destKey) {
    TKeyMap* map = MapOf(table);
    if (!map) map = Maps[AddTable(table)].get();
    // A source key is recorded once; a later record of the same row changes nothing.
    int held = 0;
    if (map->Lookup(sourceKey, held)) return destKey;
    return map->Record(sourceKey, destKey);
}

bool TKeyMaps::IsInProgress(const QString& table, int sourceKey) const {
    return std::any_of(InProgress.begin(), InProgress.end(), [&](const TRowInProgress& row) {
        return row.Key == sourceKey && row.Table.compare(table, Qt::CaseInsensitive) == 0;
    });
}

TRowInProgressGuard::TRowInProgressGuard(TKeyMaps& maps, const QString& table, int key) : Maps(maps) {
    Maps.InProgress.push_back({table, key});
}

TRowInProgressGuard::~TRowInProgressGuard() { Maps.InProgress.pop_back(); }

namespace {

bool Awaits(const TDeferredReference& reference, const QString& table, int sourceKey) {
    return reference.AwaitedKey == sourceKey && reference.AwaitedTable.compare(table, Qt::CaseInsensitive) == 0;
}

// Takes the deferred references that wait for the row out of the run state.
std::vector<TDeferredReference> TakeAwaiting(TKeyMaps& maps, const QString& table, int sourceKey) {
    std::vector<TDeferredReference> taken;
    auto waits = [&](const TDeferredReference& reference) { return Awaits(reference, table, sourceKey); };
    std::copy_if(maps.Deferred.begin(), maps.Deferred.end(), std::back_inserter(taken), waits);
    maps.Deferred.erase(std::remove_if(maps.Deferred.begin(), maps.Deferred.end(), waits), maps.Deferred.end());
    return taken;
}

void SetDeferredReference(const TDeferredReference& reference, int destKey, TADOConnection& dest) {
    const QString valueName = QStringLiteral("SetVal") + QString::number(reference.Position);
    TADOQuery update(&dest);
    update.SetSQL(QStringLiteral("UPDATE ") + reference.Table + QStringLiteral(" SET ") + reference.Column +
                  QStringLiteral("=:") + valueName + QStringLiteral(" WHERE ") + reference.KeyColumn +
                  QStringLiteral("=:Where0"));
    SetIntParam(update, valueName, destKey);
    SetIntParam(update, QStringLiteral("Where0"), reference.DestKey);
    update.ExecSQL();
}

}  // namespace

void ApplyDeferredReferences(TKeyMaps& maps, const QString& table, int sourceKey, int destKey,
                             TADOConnection& dest) {
    for (const TDeferredReference& reference : TakeAwaiting(maps, table, sourceKey)) {
        try {
            SetDeferredReference(reference, destKey, dest);
            LogCopierLine(QStringLiteral("Циклическая ссылка: в таблице ") + reference.Table +
                          QStringLiteral(" запись с кодом ") + QString::number(reference.SourceKey) +
                          QStringLiteral(" получила ссылку ") + reference.Column + QStringLiteral("=") +
                          QString::number(destKey));
        } catch (const ERunEnding&) {
            throw;
        } catch (const Exception& e) {
            StopWhenTransactionEnded(dest, maps.InTransaction, e.message());
            ReportRowFailure(reference.Table, reference.SourceKey, e.message());
        } catch (const std::exception& e) {
            StopWhenTransactionEnded(dest, maps.InTransaction, QString::fromUtf8(e.what()));
            ReportRowFailure(reference.Table, reference.SourceKey, QString::fromUtf8(e.what()));
        }
    }
}

void DropDeferredReferences(TKeyMaps& maps, const QString& table, int sourceKey) {
    for (const TDeferredReference& reference : TakeAwaiting(maps, table, sourceKey))
        ReportRowFailure(reference.Table, reference.SourceKey,
                         QStringLiteral("ссылка ") + reference.Column + QStringLiteral(" осталась пустой, т.к. запись таблицы ") +
                             table + QStringLiteral(" с кодом ") + QString::number(sourceKey) +
                             QStringLiteral(" не перенесена"));
}
