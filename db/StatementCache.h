#pragma once
// The prepared statements of one connection, kept by their text: a statement that runs
// again is bound and executed without being parsed again, as the platform's data access
// does for a prepared query. The least recently used one is finalized when the cache is
// full. The connection clears the cache before it closes.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <list>
#include <memory>
#include <unordered_map>

// ParameterNames (SqlText.h) of a text, remembered for the texts met last: a statement
// object set to the same text again need not read it again.
QStringList CachedParameterNames(const QString& text);

struct TPreparedStatement {
    explicit TPreparedStatement(const QSqlDatabase& db) : Query(db) {}
    QSqlQuery Query;
    QStringList Names;  // the parameter of each positional "?", in order
};

class TStatementCache {
public:
    explicit TStatementCache(int capacity = 256) : Capacity(capacity) {}

    // The statement of this text, or nullptr when it is not cached.
    TPreparedStatement* Find(const QString& text);
    // Keeps a prepared statement under its text (replacing one kept there) and returns it.
    TPreparedStatement* Add(const QString& text, std::unique_ptr<TPreparedStatement> statement);
    // Finalizes the statement of this text, when there is one.
    void Remove(const QString& text);
    void Clear();

private:
    using TEntries = std::list<std::pair<QString, std::unique_ptr<TPreparedStatement>>>;
    int Capacity;
    TEntries Entries;  // most recently used first
    std::unordered_map<QString, TEntries::iterator> Index;
};
