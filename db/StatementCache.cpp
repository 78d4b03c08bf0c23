// Prepared statements kept by their text, and the parameter names of recent texts.

#include "db/StatementCache.h"

#include "db/SqlText.h"

#include <QHash>

QStringList CachedParameterNames(const QString& text) {
    constexpr int Capacity = 512;
    static QHash<QString, QStringList> known;
    // Texts without placeholders (a nested copy's selection of one key) would only churn the cache.
    if (!text.contains(QLatin1Char(':'))) return {};
    const auto found = known.constFind(text);
    if (found != known.constEnd()) return found.value();
    // A full cache starts over: the texts of a run repeat from table to table.
    if (known.size() >= Capacity) known.clear();
    const QStringList names = ParameterNames(text);
    known.insert(text, names);
    return names;
}

TPreparedStatement* TStatementCache::Find(const QString& text) {
    const auto found = Index.find(text);
    if (found == Index.end()) return nullptr;
    Entries.splice(Entries.begin(), Entries, found->second);
    return found->second->second.get();
}

TPreparedStatement* TStatementCache::Add(const QString& text, std::unique_ptr<TPreparedStatement> statement) {
    Remove(text);
    Entries.emplace_front(text, std::move(statement));
    Index[text] = Entries.begin();
    while (static_cast<int>(Entries.size()) > Capacity) {
        Index.erase(Entries.back().first);
        Entries.pop_back();
    }
    return Entries.front().second.get();
}

void TStatementCache::Remove(const QString& text) {
    const auto found = Index.find(text);
    if (found == Index.end()) return;
    Entries.erase(found->second);
    Index.erase(found);
}

void TStatementCache::Clear() {
    Index.clear();
    Entries.clear();
}
