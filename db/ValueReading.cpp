#include "db/ValueReading.h"

#include "db/DbError.h"
#include "db/Libpq.h"
#include "db/OdbcConnection.h"
#include "db/ValueBinding.h"

#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <cstdint>

namespace {

// PostgreSQL type OIDs (fixed in every catalogue) whose values are read as the server's text.
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

// ODBC's SQL_TYPE_TIMESTAMP and its ODBC 2 code SQL_TIMESTAMP.
bool IsOdbcTimestamp(int sqlType) { return sqlType == 93 || sqlType == 11; }

// Read as the driver's text: ODBC's SQL_NUMERIC and SQL_DECIMAL (SQL Server reports money
// as a decimal too), the times (SQL_TYPE_TIME, SQL_TIME, SQL Server's SQL_SS_TIME2), of
// which Qt keeps no fraction of the second, and SQL_SS_TIMESTAMPOFFSET, which Qt would read
// as the bytes of the driver's structure.
bool IsOdbcTextRead(int sqlType) {
    switch (sqlType) {
    case 2:     // SQL_NUMERIC
    case 3:     // SQL_DECIMAL
    case 10:    // SQL_TIME
    case 92:    // SQL_TYPE_TIME
    case -154:  // SQL_SS_TIME2
    case -155:  // SQL_SS_TIMESTAMPOFFSET
        return true;
    default:
        return false;
    }
}

using TPQgetvalue = char* (*)(const void* result, int row, int column);
using TPQgetisnull = int (*)(const void* result, int row, int column);
using TSQLGetData = std::int16_t (*)(void* statement, std::uint16_t column, std::int16_t targetType, void* target,
                                     std::intptr_t bufferLength, std::intptr_t* indicator);

constexpr std::int16_t SqlCChar = 1;            // SQL_C_CHAR
constexpr std::int16_t SqlCTypeTimestamp = 93;  // SQL_C_TYPE_TIMESTAMP
constexpr std::intptr_t SqlNullData = -1;       // SQL_NULL_DATA

// SQL_TIMESTAMP_STRUCT as the driver manager fills it.
struct TSqlTimestampStruct {
    std::int16_t year;
    std::uint16_t month;
    std::uint16_t day;
    std::uint16_t hour;
    std::uint16_t minute;
    std::uint16_t second;
    std::uint32_t fraction;
};

const void* PostgresResultHandle(const QSqlQuery& query) {
    const QSqlResult* result = query.result();
    if (!result) return nullptr;
    const QVariant handle = result->handle();
    const char* type = handle.typeName();
    if (!type || (qstrcmp(type, "pg_result*") != 0 && qstrcmp(type, "PGresult*") != 0)) return nullptr;
    return *static_cast<const void* const*>(handle.constData());
}

[[noreturn]] void RaiseUnreadable(const QSqlQuery& query, int column) {
    throw EDatabaseError(QStringLiteral("Не удалось прочитать значение поля \"%1\" без потерь")
                             .arg(query.record().fieldName(column)));
}

}  // namespace

TFieldReader::TFieldReader(const QSqlQuery& query, TBackendKind kind) : Query(query) {
    const QSqlRecord record = query.record();
    ReadAs.fill(TReadAs::Driver, record.count());
    SecondDigits.fill(0, record.count());
    for (int i = 0; i < record.count(); ++i) {
        const QSqlField field = record.field(i);
        if (kind == TBackendKind::PostgreSql && IsPostgresTextRead(field.typeID())) {
            ReadAs[i] = TReadAs::PostgresText;
        } else if (kind == TBackendKind::SqlServer && IsOdbcTextRead(field.typeID())) {
            ReadAs[i] = TReadAs::OdbcText;
        } else if (kind == TBackendKind::SqlServer && IsOdbcTimestamp(field.typeID())) {
            ReadAs[i] = TReadAs::OdbcDateTime;
            // The driver reports the column's digits of the second as its precision
            // (-1 when there are none).
            SecondDigits[i] = qBound(0, field.precision(), 9);
        }
    }
}

QVariant TFieldReader::Read(int column) const {
    switch (ReadAs[column]) {
    case TReadAs::PostgresText: return ReadPostgresText(column);
    case TReadAs::OdbcText: return ReadOdbcText(column);
    case TReadAs::OdbcDateTime: return ReadOdbcDateTime(column);
    case TReadAs::Driver: break;
    }
    const QVariant value = Query.value(column);
    if (value.isNull()) return QVariant();
    return WithEmptyKept(value);
}

QVariant TFieldReader::ReadPostgresText(int column) const {
    static const auto getValue = reinterpret_cast<TPQgetvalue>(LibpqFunction("PQgetvalue"));
    static const auto getIsNull = reinterpret_cast<TPQgetisnull>(LibpqFunction("PQgetisnull"));
    const void* result = PostgresResultHandle(Query);
    if (!getValue || !getIsNull || !result) RaiseUnreadable(Query, column);
    // A forward-only result holds the current row alone.
    const int row = Query.isForwardOnly() ? 0 : Query.at();
    if (getIsNull(result, row, column)) return QVariant();
    return QString::fromUtf8(getValue(result, row, column));
}

// Read here rather than by Qt, which keeps milliseconds of a date-time, nothing of a
// time's fraction, and makes a double of a decimal. The columns are read in ascending
// order, so Qt has not fetched this one yet; when it passes over it later on its way to a
// later column, what it gets there is not used.
bool TFieldReader::GetOdbcData(int column, std::int16_t targetType, void* buffer, std::intptr_t size) const {
    static const auto getData = reinterpret_cast<TSQLGetData>(OdbcFunction("SQLGetData"));
    void* statement = OdbcStatementHandle(Query);
    if (!getData || !statement) RaiseUnreadable(Query, column);
    std::intptr_t indicator = 0;
    const std::int16_t code =
        getData(statement, static_cast<std::uint16_t>(column + 1), targetType, buffer, size, &indicator);
    if (code != 0 && code != 1) RaiseUnreadable(Query, column);  // SQL_SUCCESS, SQL_SUCCESS_WITH_INFO
    if (indicator == SqlNullData) return false;
    if (targetType == SqlCChar && (indicator < 0 || indicator >= size)) RaiseUnreadable(Query, column);  // cut short
    return true;
}

QVariant TFieldReader::ReadOdbcText(int column) const {
    char text[80] = {};  // the longest: a date-time with 7 digits and an offset, 34 characters
    if (!GetOdbcData(column, SqlCChar, text, sizeof text)) return QVariant();
    return QString::fromLatin1(text);
}

QVariant TFieldReader::ReadOdbcDateTime(int column) const {
    TSqlTimestampStruct buffer{};
    if (!GetOdbcData(column, SqlCTypeTimestamp, &buffer, sizeof buffer)) return QVariant();
    const TOdbcTimestamp value{buffer.year, buffer.month, buffer.day, buffer.hour, buffer.minute, buffer.second,
                               buffer.fraction};
    return OdbcTimestampText(value, SecondDigits[column]);
}

QString OdbcTimestampText(const TOdbcTimestamp& value, int digits) {
    const QLatin1Char zero('0');
    QString text = QStringLiteral("%1-%2-%3T%4:%5:%6")
                       .arg(value.Year, 4, 10, zero)
                       .arg(value.Month, 2, 10, zero)
                       .arg(value.Day, 2, 10, zero)
                       .arg(value.Hour, 2, 10, zero)
                       .arg(value.Minute, 2, 10, zero)
                       .arg(value.Second, 2, 10, zero);
    digits = qBound(0, digits, 9);
    if (digits == 0) return text;
    quint32 fraction = value.Fraction;
    for (int i = digits; i < 9; ++i) fraction /= 10;
    return text + QLatin1Char('.') + QStringLiteral("%1").arg(fraction, digits, 10, zero);
}
