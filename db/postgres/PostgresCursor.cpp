// Reading a query's rows through a held cursor, block by block.

#include "db/postgres/PostgresCursor.h"

#include "db/DbError.h"
#include "db/postgres/PostgresTransport.h"

namespace {

// Rows fetched at once: few round trips, and little held however large the result.
constexpr int BlockRows = 1000;

}  // namespace

bool IsPostgresQuery(const QString& sql) {
    const QString text = sql.trimmed();
    return text.startsWith(QLatin1String("select "), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("with "), Qt::CaseInsensitive);
}

TPostgresCursor::TPostgresCursor(TPostgresTransport& transport, const QString& name, const QString& query,
                                 const QVector<TBoundParam>& params, TSessionWatch session)
    : Transport(transport), Name(name), Session(std::move(session)) {
    Transport.RunText(QStringLiteral("DECLARE ") + Name + QStringLiteral(" NO SCROLL CURSOR WITH HOLD FOR ") + query,
                      params, false);
    FetchBlock();
}

TPostgresCursor::~TPostgresCursor() {
    if (Session.expired()) return;
    try {
        Transport.Run(QStringLiteral("CLOSE ") + Name, {}, false);
    } catch (const EDatabaseError&) {
        // A session that can no longer close it has lost it too.
    }
}

void TPostgresCursor::FetchBlock() {
    Block = Transport.Run(QStringLiteral("FETCH FORWARD %1 FROM ").arg(BlockRows) + Name, {}, true);
    At = 0;
    Ended = Block.Rows.size() < BlockRows;
}

bool TPostgresCursor::Next(QVector<QVariant>& row) {
    if (Session.expired()) throw EDatabaseError(QStringLiteral("Подключение к базе данных не открыто"));
    if (At >= Block.Rows.size()) {
        if (Ended) return false;
        FetchBlock();
        if (Block.Rows.isEmpty()) return false;
    }
    row = std::move(Block.Rows[At++]);
    return true;
}
