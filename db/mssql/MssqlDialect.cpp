// Microsoft SQL Server: the catalogue tables, sp_pkeys / sp_fkeys, newid() and the guard
// prefix, sent exactly as the servers of the road-inventory system expect them.

#include "db/mssql/MssqlDialect.h"

#include "db/StatementRunner.h"
#include "db/RegularIdentifier.h"

const QSet<QString>& MssqlReservedWords() {
    static const QSet<QString> words = WordSet(
        "ADD ALL ALTER AND ANY AS ASC AUTHORIZATION BACKUP BEGIN BETWEEN BREAK BROWSE BULK BY CASCADE CASE "
        "CHECK CHECKPOINT CLOSE CLUSTERED COALESCE COLLATE COLUMN COMMIT COMPUTE CONSTRAINT CONTAINS "
        "CONTAINSTABLE CONTINUE CONVERT CREATE CROSS CURRENT CURRENT_DATE CURRENT_TIME CURRENT_TIMESTAMP "
        "CURRENT_USER CURSOR DATABASE DBCC DEALLOCATE DECLARE DEFAULT DELETE DENY DESC DISK DISTINCT "
        "DISTRIBUTED DOUBLE DROP DUMP ELSE END ERRLVL ESCAPE EXCEPT EXEC EXECUTE EXISTS EXIT EXTERNAL FETCH "
        "FILE FILLFACTOR FOR FOREIGN FREETEXT FREETEXTTABLE FROM FULL FUNCTION GOTO GRANT GROUP HAVING "
        "HOLDLOCK IDENTITY IDENTITY_INSERT IDENTITYCOL IF IN INDEX INNER INSERT INTERSECT INTO IS JOIN KEY "
        "KILL LEFT LIKE LINENO LOAD MERGE NATIONAL NOCHECK NONCLUSTERED NOT NULL NULLIF OF OFF OFFSETS ON "
        "OPEN OPENDATASOURCE OPENQUERY OPENROWSET OPENXML OPTION OR ORDER OUTER OVER PERCENT PIVOT PLAN "
        "PRECISION PRIMARY PRINT PROC PROCEDURE PUBLIC RAISERROR READ READTEXT RECONFIGURE REFERENCES "
        "REPLICATION RESTORE RESTRICT RETURN REVERT REVOKE RIGHT ROLLBACK ROWCOUNT ROWGUIDCOL RULE SAVE "
        "SCHEMA SECURITYAUDIT SELECT SEMANTICKEYPHRASETABLE SEMANTICSIMILARITYDETAILSTABLE "
        "SEMANTICSIMILARITYTABLE SESSION_USER SET SETUSER SHUTDOWN SOME STATISTICS SYSTEM_USER TABLE "
        "TABLESAMPLE TEXTSIZE THEN TO TOP TRAN TRANSACTION TRIGGER TRUNCATE TRY_CONVERT TSEQUAL UNION "
        "UNIQUE UNPIVOT UPDATE UPDATETEXT USE USER VALUES VARYING VIEW WAITFOR WHEN WHERE WHILE WITH "
        "WITHIN WRITETEXT");
    return words;
}

// Letters of any alphabet, digits of any script, "_", and "@", "$", "#" after the first
// character ("@" and "#" in front mean a variable and a temporary table).
bool TMssqlDialect::IsRegularName(const QString& name) const {
    static const TIdentifierRule rule{QStringLiteral("@$#"), true, false, 128, &MssqlReservedWords()};
    return IsRegularIdentifier(name, rule);
}

QString TMssqlDialect::PrimaryKeyStatement(const QString& table) const {
    return QStringLiteral("sp_pkeys @Table_Name='") + table + QStringLiteral("'");
}

QString TMssqlDialect::ForeignKeysStatement(const QString& table) const {
    return QStringLiteral("sp_fkeys  @fktable_name='") + table + QStringLiteral("'");
}

QString TMssqlDialect::ColumnListStatement(const QString& table) const {
    return QStringLiteral(
               "select Obj1.Name from syscolumns as Obj1 inner join sysobjects as Obj2 on "
               "Obj2.id=Obj1.id where OBJECTPROPERTY(Obj2.id, N'IsUserTable') = 1 and Obj2.name='") +
           table + QStringLiteral("'");
}

static QString ReferencesStatement(const QString& condition) {
    return QStringLiteral(
               "select distinct Obj.name, Obj2.name as Name1 from sysobjects as Obj inner join "
               "sysreferences as ref on ref.fkeyid=Obj.id inner join sysobjects as Obj2 on "
               "Obj2.id=ref.rkeyid where OBJECTPROPERTY(Obj.id, N'IsUserTable') = 1 and ") +
           condition + QStringLiteral(" order by Obj.name");
}

QString TMssqlDialect::ReferencedTablesStatement(const QString& table) const {
    return ReferencesStatement(QStringLiteral("Obj.name='") + table + QStringLiteral("'"));
}

QString TMssqlDialect::ReferencingTablesStatement(const QString& parent) const {
    return ReferencesStatement(QStringLiteral("Obj2.name='") + parent + QStringLiteral("'"));
}

QString TMssqlDialect::DictionaryTablesStatement() const {
    return QStringLiteral(
        "select distinct Obj.name from sysobjects as Obj where OBJECTPROPERTY(Obj.id, "
        "N'IsUserTable') = 1 and Obj.name Like 'Справочник_%' ");
}

QString TMssqlDialect::TransactionStateStatement() const { return QStringLiteral("SELECT XACT_STATE()"); }

QString TMssqlDialect::UserTablesStatement() const {
    return QStringLiteral("select Obj.name from sysobjects as Obj where OBJECTPROPERTY(Obj.id, N'IsUserTable') = 1");
}

QString TMssqlDialect::GuardPrefix(const QString& table) {
    return QStringLiteral("if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[") +
           table + QStringLiteral("]') and OBJECTPROPERTY(id, N'IsUserTable') = 1)");
}

void TMssqlDialect::ExecuteForUserTable(TStatementRunner& runner, const QString& table,
                                        const QString& statement) const {
    ExecuteText(runner, GuardPrefix(table) + statement);
}

QString TMssqlDialect::AddGuidColumnStatement(const QString& table) const {
    return QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD GUID uniqueidentifier NULL");
}

QString TMssqlDialect::FillGuidStatement(const QString& table) const {
    return QStringLiteral("UPDATE ") + table + QStringLiteral(" SET GUID = newid()");
}

QString TMssqlDialect::DropGuidColumnStatement(const QString& table) const {
    return QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" DROP COLUMN GUID;");
}

void TMssqlDialect::AddForeignKey(TStatementRunner& runner, const QString& table, const QString& column,
                                  const QString& refTable, const QString& refColumn) const {
    ExecuteText(runner, QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD FOREIGN KEY (") + column +
                 QStringLiteral(") REFERENCES ") + refTable + QStringLiteral("  (") + refColumn +
                 QStringLiteral(") ON DELETE NO ACTION ON UPDATE NO ACTION"));
}

void TMssqlDialect::DropForeignKeys(TStatementRunner& runner, const QString& table,
                                    const QString& refTable) const {
    // One batch: walk every constraint from table to refTable and drop it by name.
    ExecuteText(runner,
        QStringLiteral(
            "DECLARE @fkName varchar(100) DECLARE cur CURSOR LOCAL FOR SELECT t3.CONSTRAINT_NAME "
            "FROM INFORMATION_SCHEMA.REFERENTIAL_CONSTRAINTS AS t1 INNER JOIN "
            "INFORMATION_SCHEMA.KEY_COLUMN_USAGE AS t2 ON t1.UNIQUE_CONSTRAINT_NAME = "
            "t2.CONSTRAINT_NAME INNER JOIN INFORMATION_SCHEMA.KEY_COLUMN_USAGE AS t3 ON "
            "t1.CONSTRAINT_NAME = t3.CONSTRAINT_NAME WHERE  t3.TABLE_NAME = '") +
        table + QStringLiteral("' and t2.TABLE_NAME = '") + refTable +
        QStringLiteral("' OPEN cur FETCH NEXT FROM cur INTO  @fkName WHILE @@FETCH_STATUS = 0 BEGIN  "
                       " EXEC ('ALTER TABLE ") +
        table +
        QStringLiteral(" DROP CONSTRAINT '+@fkName)   FETCH NEXT FROM cur   INTO  @fkName END CLOSE cur "
                       "DEALLOCATE cur "));
}
