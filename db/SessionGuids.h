#pragma once
// The import's GUID column of a table where the backend keeps it in the import's own session
// instead of the table (SQLite, PostgreSQL): the dialect's statements that add, fill and drop
// the column are carried out there, so neither database's schema changes. A column GUID that
// an older version of the program left in a table meets them as it did then: the add is
// refused on it, the drop removes it. Each backend says where a GUID lives and makes or drops
// its session's own (db/sqlite/, db/postgres/).

#include <QString>
#include <optional>

class TDialect;
class TStatementRunner;

enum class TGuidStep { Add, Fill, Drop };

// Which of the dialect's GUID statements of the table the text is, if any.
std::optional<TGuidStep> GuidStepOf(const TDialect& dialect, const QString& table, const QString& statement);

// Where the GUID of a table stands.
struct TGuidPlace {
    bool UserTable = false;  // the name is a user table (the statements pass over any other)
    bool InSession = false;  // its GUID lives in the session
    bool Stored = false;     // the table has a column GUID of its own
};

class TSessionGuids {
public:
    virtual ~TSessionGuids() = default;

    virtual TGuidPlace PlaceOf(TStatementRunner& runner, const QString& table) const = 0;
    // The session's GUID of the table, made or dropped. Raise EDatabaseError.
    virtual void Add(TStatementRunner& runner, const QString& table) const = 0;
    virtual void Drop(TStatementRunner& runner, const QString& table) const = 0;
    // The add of a column that is there already (in the session or the table, as place says),
    // and the drop of one that is nowhere, fail as the dialect's statement does on a table.
    [[noreturn]] virtual void RefuseAdd(TStatementRunner& runner, const QString& table, const QString& statement,
                                        const TGuidPlace& place) const = 0;
    [[noreturn]] virtual void RefuseDrop(TStatementRunner& runner, const QString& table,
                                         const QString& statement) const = 0;
};

// Carries the step out for the table; statement is the dialect's text of it.
void ExecuteGuidStep(TGuidStep step, const QString& statement, const TSessionGuids& guids, TStatementRunner& runner,
                     const QString& table);
