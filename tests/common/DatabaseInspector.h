#pragma once
// Reads a database directly through Qt SQL (not through the program's access layer), so
// that the end-to-end tests judge the runner's work independently of the code under test.
// Each backend supplies its catalogue; the rest is shared.

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

struct TReference {
    QString Column;  // in the referring table
    QString Table;   // the referenced table
    QString To;      // the referenced column
};

class TDatabaseInspector {
public:
    virtual ~TDatabaseInspector();
    TDatabaseInspector(const TDatabaseInspector&) = delete;
    TDatabaseInspector& operator=(const TDatabaseInspector&) = delete;

    virtual QStringList Tables() const = 0;  // user tables, by name
    virtual QStringList Columns(const QString& table) const = 0;
    virtual QString PrimaryKey(const QString& table) const = 0;  // empty when none
    virtual QList<TReference> References(const QString& table) const = 0;
    int RowCount(const QString& table) const;

    // Rows of a statement, each as a list of values.
    QList<QVariantList> Select(const QString& sql) const;
    void Execute(const QString& sql);

    // Every table with its columns and its rows (sorted): equal dumps mean equal content.
    // leaveOutGuid: without the GUID columns, to compare rows whatever a run left behind.
    QString ContentDump(bool leaveOutGuid = false) const;
    // Tables that still hold a GUID column, and the foreign keys from Дорожный_объект to
    // Межузловой_участок: the traces a run must not leave behind.
    QStringList TablesWithGuidColumn() const;
    int SectionLinkCount() const;

protected:
    // Opens a connection of the driver; configure sets its parameters before it is opened.
    TDatabaseInspector(const QString& driver, const std::function<void(QSqlDatabase&)>& configure);

private:
    QString Name;
    QSqlDatabase Db;
};

// A row's content with its own key left out and every reference replaced by the content of
// the row it refers to, followed down the references: two rows in different databases that
// read the same here are the same row, whatever keys each database gave them. A reference to
// a row that is not there reads "<missing table>", but for the section reference, which the
// import copies as none when it names no section.
class TRowContent {
public:
    explicit TRowContent(const TDatabaseInspector& db);
    // The content of every row of the table, sorted; `where` (SQL, may be empty) narrows them.
    QStringList Rows(const QString& table, const QString& where = QString());
    QString Row(const QString& table, const QVariant& key, int depth = 0);

private:
    const TDatabaseInspector& Db;
    QHash<QString, QString> Cache;
};

// The column of Дорожный_объект that names a section without a declared foreign key.
TReference SectionReference();
