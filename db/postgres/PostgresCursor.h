#pragma once
// A statement's rows on PostgreSQL read as they are used: a cursor of the session declared
// WITH HOLD (so that it needs no transaction, and other statements may run on the session
// while it is read), fetched in blocks, closed with the cursor object. The server keeps what
// the cursor has not handed out yet; the client holds one block at most.

#include "db/RowCursor.h"

#include <QString>

class TPostgresTransport;

class TPostgresCursor : public TRowCursor {
public:
    // Declares the cursor of that name for the query and fetches its first block. Raises
    // EDatabaseError.
    TPostgresCursor(TPostgresTransport& transport, const QString& name, const QString& query,
                    const QVector<TBoundParam>& params, TSessionWatch session);
    // Closes the cursor on the server while the session stands; an error there is the
    // session's to meet with its next statement.
    ~TPostgresCursor() override;
    TPostgresCursor(const TPostgresCursor&) = delete;
    TPostgresCursor& operator=(const TPostgresCursor&) = delete;

    const QVector<TColumnInfo>& Columns() const override { return Block.Columns; }
    bool Next(QVector<QVariant>& row) override;

private:
    void FetchBlock();

    TPostgresTransport& Transport;
    QString Name;
    TSessionWatch Session;
    TRowSet Block;
    qsizetype At = 0;
    bool Ended = false;  // the server has handed out every row
};

// Whether a statement text is a query whose rows a cursor can read.
bool IsPostgresQuery(const QString& sql);
