#pragma once
// Reads an SQLite file directly (not through the program's access layer), so that the
// end-to-end tests judge the runner's work independently of the code under test.

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

struct TReference {
    QString Column;  // in the referring table
    QString Table;   // the referenced table
    QString To;      // the referenced column
};

class TSqliteInspector {
public:
    explicit TSqliteInspector(const QString& path);
    ~TSqliteInspector();
    TSqliteInspector(const TSqliteInspector&) = delete;
    TSqliteInspector& operator=(const TSqliteInspector&) = delete;

    QStringList Tables() const;  // user tables, by name
    QStringList Columns(const QString& table) const;
    QString PrimaryKey(const QString& table) const;  // empty when none
    QList<TReference> References(const QString& table) const;
    int RowCount(const QString& table) const;

    // Rows of a statement, each as a list of values.
    QList<QVariantList> Select(const QString& sql) const;
    void Execute(const QString& sql);

    // Every table with its columns and its rows (sorted): equal dumps mean equal content.
    QString ContentDump() const;
    // Tables that still hold a GUID column, and the foreign keys from Дорожный_объект to
    // Межузловой_участок: the traces a run must not leave behind.
    QStringList TablesWithGuidColumn() const;
    int SectionLinkCount() const;

private:
    QString Name;
    QSqlDatabase Db;
};

// A row's content with its own key left out and every reference replaced by the content of
// the row it refers to, followed down the references: two rows in different databases that
// read the same here are the same row, whatever keys each database gave them.
class TRowContent {
public:
    explicit TRowContent(const TSqliteInspector& db);
    // The content of every row of the table, sorted; `where` (SQL, may be empty) narrows them.
    QStringList Rows(const QString& table, const QString& where = QString());
    QString Row(const QString& table, const QVariant& key, int depth = 0);

private:
    const TSqliteInspector& Db;
    QHash<QString, QString> Cache;
};

// The column of Дорожный_объект that names a section without a declared foreign key.
TReference SectionReference();
