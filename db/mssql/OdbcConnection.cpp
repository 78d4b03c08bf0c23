// The ODBC connection string for SQL Server, and the driver manager's functions.

#include "db/mssql/OdbcConnection.h"

#include <QLibrary>
#include <QSqlQuery>
#include <QSqlResult>
#include <QStringList>
#include <QtGlobal>
#include <cstdint>

namespace {

using TSetStmtAttr = std::int16_t (*)(void* statement, std::int32_t attribute, void* value,
                                      std::int32_t length);
constexpr std::int32_t SqlAttrQueryTimeout = 0;  // SQL_ATTR_QUERY_TIMEOUT
constexpr std::int32_t SqlIsUInteger = -5;       // SQL_IS_UINTEGER

}  // namespace

QFunctionPointer OdbcFunction(const char* name) {
#ifdef Q_OS_WIN
    static QLibrary library(QStringLiteral("odbc32"));
#else
    static QLibrary library(QStringLiteral("odbc"), 2);
#endif
    return library.resolve(name);
}

void* OdbcStatementHandle(const QSqlQuery& query) {
    const QSqlResult* result = query.result();
    if (!result) return nullptr;
    const QVariant handle = result->handle();
    if (!handle.isValid() || handle.metaType().sizeOf() != sizeof(void*)) return nullptr;
    return *static_cast<void* const*>(handle.constData());
}

QString MssqlOdbcDriverName() {
    const QString configured = qEnvironmentVariable("ROAD_IMPORT_MSSQL_ODBC_DRIVER").trimmed();
    return configured.isEmpty() ? QStringLiteral("FreeTDS") : configured;
}

QString OdbcBracedValue(const QString& value) {
    QString doubled = value;
    doubled.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + doubled + QLatin1Char('}');
}

QString BuildOdbcConnectionString(const TConnectionParams& params, int commandTimeout) {
    const QString driver = MssqlOdbcDriverName();
    QStringList items;
    items << QStringLiteral("DRIVER=") + OdbcBracedValue(driver);
    items << QStringLiteral("Server=") + OdbcBracedValue(params.DataSource());
    const QString database = params.InitialCatalog();
    if (!database.isEmpty()) items << QStringLiteral("Database=") + OdbcBracedValue(database);
    if (params.IntegratedSecurity()) {
        items << QStringLiteral("Trusted_Connection=Yes");
    } else {
        items << QStringLiteral("UID=") + OdbcBracedValue(params.UserId());
        items << QStringLiteral("PWD=") + OdbcBracedValue(params.Password());
    }
    if (driver.contains(QLatin1String("FreeTDS"), Qt::CaseInsensitive)) {
        // FreeTDS's own keywords: SQL Server's protocol (never Sybase's, see the header), the
        // texts' character set (Cyrillic names need it), and the query timeout of every
        // statement, the directly executed ones included.
        items << QStringLiteral("TDS_Version=7.4");
        items << QStringLiteral("ClientCharset=UTF-8");
        items << QStringLiteral("Timeout=%1").arg(qMax(commandTimeout, 0));
    }
    return items.join(QLatin1Char(';'));
}

void SetOdbcQueryTimeout(const QSqlQuery& query, int seconds) {
    static const auto setStmtAttr = reinterpret_cast<TSetStmtAttr>(OdbcFunction("SQLSetStmtAttr"));
    void* statement = OdbcStatementHandle(query);
    if (!setStmtAttr || !statement) return;
    const std::uintptr_t value = seconds > 0 ? static_cast<std::uintptr_t>(seconds) : 0;
    setStmtAttr(statement, SqlAttrQueryTimeout, reinterpret_cast<void*>(value), SqlIsUInteger);
}
