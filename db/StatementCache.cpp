#include "db/StatementCache.h"

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
