#pragma once
// The rows of a statement read as they are used rather than fetched whole, so that what the
// client holds does not follow the size of the result (TADOQuery::OpenStreamed). Other
// statements may run on the same connection while a cursor is open, as with a whole result.

#include "db/RowSet.h"

#include <memory>

class TRowCursor {
public:
    virtual ~TRowCursor() = default;

    virtual const QVector<TColumnInfo>& Columns() const = 0;
    // Reads the next row into row; false after the last one. Raises EDatabaseError.
    virtual bool Next(QVector<QVariant>& row) = 0;
};

// A cursor over a result fetched whole, for a backend that reads no other way.
class TRowSetCursor : public TRowCursor {
public:
    explicit TRowSetCursor(TRowSet rows) : Rows(std::move(rows)) {}
    const QVector<TColumnInfo>& Columns() const override { return Rows.Columns; }
    bool Next(QVector<QVariant>& row) override {
        if (At >= Rows.Rows.size()) return false;
        row = std::move(Rows.Rows[At++]);
        return true;
    }

private:
    TRowSet Rows;
    qsizetype At = 0;
};

// Tells a cursor whether the session it reads is still open: a cursor kept past its
// session's end raises instead of reading freed memory.
using TSessionLifetime = std::shared_ptr<const bool>;
using TSessionWatch = std::weak_ptr<const bool>;
