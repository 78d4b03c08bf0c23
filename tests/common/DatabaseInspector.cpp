#include "common/DatabaseInspector.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <algorithm>
#include <gtest/gtest.h>

// Names are quoted here, so that tables with any name can be read back as they are.
static QString QuotedName(const QString& name) {
    QString doubled = name;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

TDatabaseInspector::TDatabaseInspector(const QString& driver, const std::function<void(QSqlDatabase&)>& configure)
    : Name(QStringLiteral("inspector-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    Db = QSqlDatabase::addDatabase(driver, Name);
    configure(Db);
    if (!Db.open())
        ADD_FAILURE() << "cannot open " << Db.databaseName().toStdString() << ": " << Db.lastError().text().toStdString();
}

TDatabaseInspector::~TDatabaseInspector() {
    Db.close();
    Db = QSqlDatabase();
    QSqlDatabase::removeDatabase(Name);
}

QList<QVariantList> TDatabaseInspector::Select(const QString& sql) const {
    QSqlQuery query(Db);
    QList<QVariantList> rows;
    if (!query.exec(sql)) {
        ADD_FAILURE() << sql.toStdString() << ": " << query.lastError().text().toStdString();
        return rows;
    }
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i) row << query.value(i);
        rows << row;
    }
    return rows;
}

void TDatabaseInspector::Execute(const QString& sql) {
    QSqlQuery query(Db);
    if (!query.exec(sql)) ADD_FAILURE() << sql.toStdString() << ": " << query.lastError().text().toStdString();
}

int TDatabaseInspector::RowCount(const QString& table) const {
    const QList<QVariantList> rows = Select(QStringLiteral("select count(*) from ") + QuotedName(table));
    return rows.isEmpty() ? -1 : rows.first()[0].toInt();
}

static QString ValueText(const QVariant& value) {
    if (value.isNull()) return QStringLiteral("<null>");
    if (value.typeId() == QMetaType::QByteArray) return QStringLiteral("x'") + QString::fromLatin1(value.toByteArray().toHex()) + QLatin1Char('\'');
    return value.toString();
}

QString TDatabaseInspector::ContentDump(bool leaveOutGuid) const {
    QString dump;
    for (const QString& table : Tables()) {
        QStringList columns = Columns(table);
        if (leaveOutGuid) columns.removeIf([](const QString& c) { return c.compare(QStringLiteral("GUID"), Qt::CaseInsensitive) == 0; });
        dump += table + QLatin1Char('(') + columns.join(QLatin1Char(',')) + QStringLiteral(")\n");
        QStringList rows;
        QStringList quoted;
        for (const QString& column : columns) quoted << QuotedName(column);
        for (const QVariantList& row : Select(QStringLiteral("select ") + quoted.join(QStringLiteral(", ")) +
                                              QStringLiteral(" from ") + QuotedName(table))) {
            QStringList values;
            for (const QVariant& value : row) values << ValueText(value);
            rows << values.join(QLatin1Char('|'));
        }
        rows.sort();
        for (const QString& row : rows) dump += QStringLiteral("  ") + row + QLatin1Char('\n');
    }
    return dump;
}

QStringList TDatabaseInspector::TablesWithGuidColumn() const {
    QStringList tables;
    for (const QString& table : Tables())
        if (Columns(table).contains(QStringLiteral("GUID"), Qt::CaseInsensitive)) tables << table;
    return tables;
}

int TDatabaseInspector::SectionLinkCount() const {
    int count = 0;
    for (const TReference& reference : References(QStringLiteral("Дорожный_объект")))
        if (reference.Table == QStringLiteral("Межузловой_участок")) ++count;
    return count;
}

TReference SectionReference() {
    return TReference{QStringLiteral("Код_участка"), QStringLiteral("Межузловой_участок"), QStringLiteral("Код_участка")};
}

TRowContent::TRowContent(const TDatabaseInspector& db) : Db(db) {}

// Deep enough for every chain of the sample schema; a reference cycle stops here.
static constexpr int MaxDepth = 6;

QString TRowContent::Row(const QString& table, const QVariant& key, int depth) {
    if (key.isNull()) return QStringLiteral("<null>");
    if (depth > MaxDepth) return QStringLiteral("...");
    const QString cacheKey = table + QLatin1Char('#') + key.toString() + QLatin1Char('#') + QString::number(depth);
    if (Cache.contains(cacheKey)) return Cache.value(cacheKey);

    const QString keyColumn = Db.PrimaryKey(table);
    QList<TReference> references = Db.References(table);
    if (table == QStringLiteral("Дорожный_объект")) references << SectionReference();
    const QStringList columns = Db.Columns(table);
    const QList<QVariantList> rows =
        Db.Select(QStringLiteral("select * from %1 where %2 = %3").arg(table, keyColumn, key.toString()));
    QString content;
    if (rows.isEmpty()) {
        content = QStringLiteral("<missing ") + table + QLatin1Char('>');
    } else {
        QStringList parts;
        for (int i = 0; i < columns.size(); ++i) {
            if (columns[i] == keyColumn) continue;
            QString part = columns[i] + QLatin1Char('=');
            const auto reference = std::find_if(references.begin(), references.end(),
                                                [&](const TReference& r) { return r.Column == columns[i]; });
            if (reference != references.end()) {
                QString target = Row(reference->Table, rows.first()[i], depth + 1);
                // The import copies a section reference that names no section as none.
                if (reference->Column == SectionReference().Column && table == QStringLiteral("Дорожный_объект") &&
                    target.startsWith(QStringLiteral("<missing")))
                    target = QStringLiteral("<null>");
                part += QLatin1Char('{') + target + QLatin1Char('}');
            }
            else part += ValueText(rows.first()[i]);
            parts << part;
        }
        content = parts.join(QStringLiteral("; "));
    }
    Cache.insert(cacheKey, content);
    return content;
}

QStringList TRowContent::Rows(const QString& table, const QString& where) {
    const QString keyColumn = Db.PrimaryKey(table);
    QStringList rows;
    const QString sql = QStringLiteral("select %1 from %2").arg(keyColumn, table) +
                        (where.isEmpty() ? QString() : QStringLiteral(" where ") + where);
    for (const QVariantList& row : Db.Select(sql)) rows << Row(table, row[0]);
    rows.sort();
    return rows;
}
