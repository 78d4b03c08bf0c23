// SQL Server values read through ODBC where Qt would change them.

#include "db/mssql/MssqlValueReading.h"

#include "db/mssql/OdbcConnection.h"

#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

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

}  // namespace

TMssqlFieldReader::TMssqlFieldReader(const QSqlQuery& query) : TFieldReader(query) {
    const QSqlRecord record = query.record();
    ReadAs.fill(TReadAs::Driver, record.count());
    SecondDigits.fill(0, record.count());
    for (int i = 0; i < record.count(); ++i) {
        const QSqlField field = record.field(i);
        if (IsOdbcTextRead(field.typeID())) {
            ReadAs[i] = TReadAs::OdbcText;
        } else if (IsOdbcTimestamp(field.typeID())) {
            ReadAs[i] = TReadAs::OdbcDateTime;
            // The driver reports the column's digits of the second as its precision
            // (-1 when there are none).
            SecondDigits[i] = qBound(0, field.precision(), 9);
        }
    }
}

QVariant TMssqlFieldReader::Read(int column) const {
    switch (ReadAs[column]) {
    case TReadAs::OdbcText: return ReadOdbcText(column);
    case TReadAs::OdbcDateTime: return ReadOdbcDateTime(column);
    case TReadAs::Driver: break;
    }
    return TFieldReader::Read(column);
}

// Read here rather than by Qt, which keeps milliseconds of a date-time, nothing of a
// time's fraction, and makes a double of a decimal. The columns are read in ascending
// order, so Qt has not fetched this one yet; when it passes over it later on its way to a
// later column, what it gets there is not used.
bool TMssqlFieldReader::GetOdbcData(int column, std::int16_t targetType, void* buffer, std::intptr_t size) const {
    static const auto getData = reinterpret_cast<TSQLGetData>(OdbcFunction("SQLGetData"));
    void* statement = OdbcStatementHandle(Query);
    if (!getData || !statement) RaiseUnreadableField(Query, column);
    std::intptr_t indicator = 0;
    const std::int16_t code =
        getData(statement, static_cast<std::uint16_t>(column + 1), targetType, buffer, size, &indicator);
    if (code != 0 && code != 1) RaiseUnreadableField(Query, column);  // SQL_SUCCESS, SQL_SUCCESS_WITH_INFO
    if (indicator == SqlNullData) return false;
    if (targetType == SqlCChar && (indicator < 0 || indicator >= size)) RaiseUnreadableField(Query, column);  // cut short
    return true;
}

QVariant TMssqlFieldReader::ReadOdbcText(int column) const {
    char text[80] = {};  // the longest: a date-time with 7 digits and an offset, 34 characters
    if (!GetOdbcData(column, SqlCChar, text, sizeof text)) return QVariant();
    return QString::fromLatin1(text);
}

QVariant TMssqlFieldReader::ReadOdbcDateTime(int column) const {
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
