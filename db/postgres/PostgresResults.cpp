// Rows and failures of commands run through libpq.

#include "db/postgres/PostgresResults.h"

#include "db/postgres/LibpqApi.h"
#include "db/postgres/PostgresTypes.h"
#include "db/postgres/PostgresValueReading.h"

#include <cmath>
#include <limits>

namespace {

// PostgreSQL type OIDs (fixed in every catalogue) that the driver reads as other than text.
enum : Oid { BoolOid = 16, ByteaOid = 17, Int8Oid = 20, Int2Oid = 21, Int4Oid = 23, OidOid = 26, Float8Oid = 701 };

QVariant DoubleOf(const char* text) {
    bool ok = false;
    const double number = QByteArray(text).toDouble(&ok);
    if (ok) return number;
    if (qstricmp(text, "NaN") == 0) return std::numeric_limits<double>::quiet_NaN();
    if (qstricmp(text, "Infinity") == 0) return std::numeric_limits<double>::infinity();
    if (qstricmp(text, "-Infinity") == 0) return -std::numeric_limits<double>::infinity();
    return QVariant();
}

QVariant ByteaOf(const TLibpqApi& pq, const char* text) {
    size_t length = 0;
    unsigned char* bytes = pq.UnescapeBytea(reinterpret_cast<const unsigned char*>(text), &length);
    if (!bytes) return QByteArray("", 0);
    const QByteArray value(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(length));
    pq.FreeMem(bytes);
    return length == 0 ? QByteArray("", 0) : value;
}

// One value of the text result; an empty text or binary value stays an empty one.
QVariant ValueOf(const TLibpqApi& pq, Oid type, const char* text) {
    if (IsPostgresTextRead(static_cast<int>(type))) return QString::fromUtf8(text);
    switch (type) {
    case BoolOid: return text[0] == 't';
    case Int2Oid:
    case Int4Oid: return QByteArray(text).toInt();
    case Int8Oid:
    case OidOid: return QByteArray(text).toLongLong();
    case Float8Oid: return DoubleOf(text);
    case ByteaOid: return ByteaOf(pq, text);
    default: {
        const QString value = QString::fromUtf8(text);
        return value.isNull() ? QStringLiteral("") : value;
    }
    }
}

}  // namespace

TRowSet PostgresRowSet(const pg_result* constResult, bool wantRows) {
    const TLibpqApi& pq = *Libpq();
    auto* result = const_cast<PGresult*>(constResult);
    TRowSet rows;
    if (pq.ResultStatus(result) != PGRES_TUPLES_OK) {
        rows.RowsAffected = QByteArray(pq.CmdTuples(result)).toInt();
        return rows;
    }
    if (!wantRows) return rows;
    const int columns = pq.Nfields(result);
    QVector<Oid> types(columns);
    rows.Columns.resize(columns);
    for (int c = 0; c < columns; ++c) {
        types[c] = pq.Ftype(result, c);
        rows.Columns[c].Name = QString::fromUtf8(pq.Fname(result, c));
        rows.Columns[c].DataType = FieldTypeOfPostgresOid(static_cast<int>(types[c]), 0);
    }
    const int count = pq.Ntuples(result);
    rows.Rows.reserve(count);
    for (int r = 0; r < count; ++r) {
        QVector<QVariant> row(columns);
        for (int c = 0; c < columns; ++c)
            if (!pq.GetIsNull(result, r, c)) row[c] = ValueOf(pq, types[c], pq.GetValue(result, r, c));
        rows.Rows.append(row);
    }
    return rows;
}

QString PostgresErrorCode(const pg_result* result) {
    const char* code = Libpq()->ResultErrorField(result, PG_DIAG_SQLSTATE);
    return code ? QString::fromLatin1(code) : QString();
}

QString PostgresErrorText(const pg_result* result) {
    const QString code = PostgresErrorCode(result);
    const QString message = QString::fromUtf8(Libpq()->ResultErrorMessage(result));
    return code.isEmpty() ? message : message + QLatin1Char('(') + code + QLatin1Char(')');
}
