// PostgreSQL values read as the server's text where the driver would change them.

#include "db/postgres/PostgresValueReading.h"

#include "db/postgres/Libpq.h"

#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>

namespace {

using TPQgetvalue = char* (*)(const void* result, int row, int column);
using TPQgetisnull = int (*)(const void* result, int row, int column);

const void* PostgresResultHandle(const QSqlQuery& query) {
    const QSqlResult* result = query.result();
    if (!result) return nullptr;
    const QVariant handle = result->handle();
    const char* type = handle.typeName();
    if (!type || (qstrcmp(type, "pg_result*") != 0 && qstrcmp(type, "PGresult*") != 0)) return nullptr;
    return *static_cast<const void* const*>(handle.constData());
}

}  // namespace

bool IsPostgresTextRead(int oid) {
    switch (oid) {
    case 700:   // float4: as a double it would no longer equal its column in a comparison
    case 790:   // money
    case 1082:  // date
    case 1083:  // time
    case 1114:  // timestamp
    case 1184:  // timestamptz
    case 1186:  // interval
    case 1266:  // timetz
    case 1700:  // numeric
        return true;
    default:
        return false;
    }
}

TPostgresFieldReader::TPostgresFieldReader(const QSqlQuery& query) : TFieldReader(query) {
    const QSqlRecord record = query.record();
    AsServerText.fill(false, record.count());
    for (int i = 0; i < record.count(); ++i) AsServerText[i] = IsPostgresTextRead(record.field(i).typeID());
}

QVariant TPostgresFieldReader::Read(int column) const {
    return AsServerText[column] ? ReadServerText(column) : TFieldReader::Read(column);
}

QVariant TPostgresFieldReader::ReadServerText(int column) const {
    static const auto getValue = reinterpret_cast<TPQgetvalue>(LibpqFunction("PQgetvalue"));
    static const auto getIsNull = reinterpret_cast<TPQgetisnull>(LibpqFunction("PQgetisnull"));
    const void* result = PostgresResultHandle(Query);
    if (!getValue || !getIsNull || !result) RaiseUnreadableField(Query, column);
    // A forward-only result holds the current row alone.
    const int row = Query.isForwardOnly() ? 0 : Query.at();
    if (getIsNull(result, row, column)) return QVariant();
    return QString::fromUtf8(getValue(result, row, column));
}
