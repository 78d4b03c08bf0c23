// The closure of chosen titles copied by the copier into an empty and into a filled
// destination: every row once, dictionaries reused, every reference to the right row, and
// no temporary column or key left behind.

#include "TitleTestSupport.h"

#include "copier/Callbacks.h"
#include "copier/CopierRun.h"
#include "db/ADOQuery.h"
#include "sample/SampleDatabase.h"
#include "titles/DictionaryKeys.h"
#include "titles/TitlePreparation.h"

#include <QHash>
#include <QMap>
#include <algorithm>

namespace {

class TAnswerYes : public TQuestionAsker {
public:
    QStringList Asked;
    int Ask(const QString& message, TMsgDlgType, TMsgDlgButtons) override {
        Asked << message;
        return mrYes;
    }
};

// A row told by its content alone: keys left out, each reference replaced by the content
// of the row it names, so that rows of two databases compare whatever keys they got.
class TContent {
public:
    explicit TContent(TADOConnection& connection) : Connection(connection) {}

    QString Row(const QString& table, const QString& key) {
        const QString id = table + QLatin1Char('#') + key;
        const auto cached = Cache.constFind(id);
        if (cached != Cache.constEnd()) return *cached;
        const TTable& t = Table(table);
        QStringList quoted;
        for (const QString& column : t.Columns) quoted << QStringLiteral("quote(") + column + QLatin1Char(')');
        const QStringList found =
            ::Rows(Connection, QStringLiteral("select ") + quoted.join(QStringLiteral(", ")) + QStringLiteral(" from ") + table +
                                   QStringLiteral(" where ") + t.Key + QStringLiteral(" = ") + key);
        // A filled destination may hold section references that name no section.
        if (found.isEmpty()) return Cache[id] = QStringLiteral("<no row>");
        const QStringList values = found[0].split(QLatin1Char('|'));
        QStringList parts;
        for (int i = 0; i < t.Columns.size(); ++i) {
            const QString& referenced = t.References.value(t.Columns[i]);
            if (!referenced.isEmpty() && values.value(i) != QStringLiteral("NULL"))
                parts << t.Columns[i] + QStringLiteral("=>{") + Row(referenced, values[i]) + QLatin1Char('}');
            else
                parts << t.Columns[i] + QLatin1Char('=') + values.value(i);
        }
        return Cache[id] = parts.join(QStringLiteral("; "));
    }

    // The content of the rows with these keys (all rows when keys is empty), sorted.
    QStringList Rows(const QString& table, const QString& keySelection = QString()) {
        const TTable& t = Table(table);
        QString statement = QStringLiteral("select ") + t.Key + QStringLiteral(" from ") + table;
        if (!keySelection.isEmpty())
            statement += QStringLiteral(" where ") + t.Key + QStringLiteral(" in (") + keySelection + QLatin1Char(')');
        QStringList rows;
        for (const QString& key : ::Rows(Connection, statement)) rows << Row(table, key);
        std::sort(rows.begin(), rows.end());
        return rows;
    }

private:
    struct TTable {
        QString Key;
        QStringList Columns;
        QHash<QString, QString> References;
    };

    const TTable& Table(const QString& table) {
        auto found = Tables.find(table);
        if (found != Tables.end()) return *found;
        TTable t;
        const QString literal = QLatin1Char('\'') + table + QLatin1Char('\'');
        t.Key = ::Rows(Connection, QStringLiteral("select name from pragma_table_info(") + literal + QStringLiteral(") where pk = 1")).value(0);
        for (const QString& column : ::Rows(Connection, QStringLiteral("select name from pragma_table_info(") + literal +
                                                             QStringLiteral(") where pk = 0 and name <> 'GUID' order by cid")))
            t.Columns << column;
        for (const QString& row : ::Rows(Connection, QStringLiteral("select \"from\", \"table\" from pragma_foreign_key_list(") +
                                                          literal + QLatin1Char(')')))
            t.References.insert(row.section(QLatin1Char('|'), 0, 0), row.section(QLatin1Char('|'), 1, 1));
        // The section link, whether or not the key is in place at the moment.
        if (table == QStringLiteral("Дорожный_объект"))
            t.References.insert(QStringLiteral("Код_участка"), QStringLiteral("Межузловой_участок"));
        return *Tables.insert(table, t);
    }

    TADOConnection& Connection;
    QHash<QString, TTable> Tables;
    QHash<QString, QString> Cache;
};

}  // namespace

class TitleImportEndToEnd : public TitlesTest {
protected:
    void Import(bool filledDestination) {
        SourcePath = Dir.Path(QStringLiteral("source.db"));
        DestPath = Dir.Path(QStringLiteral("dest.db"));
        GenerateSampleDatabase(SourcePath, 4, 3, 21);
        if (filledDestination) GenerateSampleDatabase(DestPath, 2, 2, 99, 101);
        else CreateEmptySampleDatabase(DestPath, true);
        OpenConnections();
        const QStringList tables =
            Rows(Dest, QStringLiteral("select name from sqlite_master where type = 'table' and name <> "
                                      "'Журнал_изменений_титула' order by name"));
        QMap<QString, QStringList> before;
        {
            TContent content(Dest);
            for (const QString& table : tables) before[table] = content.Rows(table);
        }

        TickTitles({1, 3});
        PrepareTitleImport(Plan, FrontEnd, Source, Dest);
        // What the titles consist of, read in the source as the copier will see it.
        QMap<QString, QStringList> chosen;
        {
            TContent content(Source);
            for (int i = 0; i < Plan.ImportTableList.Count(); ++i)
                if (Plan.ImportTableList.Mark(i) == 0)
                    chosen[Plan.ImportTableList[i]] = content.Rows(Plan.ImportTableList[i], Plan.RowSelectionList[i]);
        }

        TAnswerYes asker;
        SetQuestionAsker(&asker);
        OnFinish = [this] { DropImportSchemaChanges(Plan, Source, Dest); };
        const int copied = ImportTables(Plan.ImportTableList, Plan.RowSelectionList, Plan.MatchTableList,
                                        Plan.MatchColumnList, Source, Dest, &Plan.ImportTableList);
        EXPECT_EQ(copied, chosen.size());
        EXPECT_EQ(asker.Asked, QStringList{QStringLiteral("Импорт прошел успешно, сохранить?")});
        EXPECT_TRUE(MemoLines.filter(QStringLiteral("Не удалось")).isEmpty()) << MemoLines.join('\n').toStdString();
        DropImportSchemaChanges(Plan, Source, Dest);  // the wizard's finish may run again

        // Committed: read through fresh connections.
        Source.Close();
        Dest.Close();
        OpenConnections();
        EXPECT_TRUE(Rows(Dest, QStringLiteral("pragma foreign_key_check")).isEmpty());
        for (TADOConnection* connection : {&Source, &Dest})
            EXPECT_EQ(Scalar(*connection, QStringLiteral("select count(*) from sqlite_master m, pragma_table_info(m.name) c "
                                                         "where m.type = 'table' and c.name = 'GUID'")),
                      0);
        EXPECT_EQ(Scalar(Source, QStringLiteral("select count(*) from pragma_foreign_key_list('Дорожный_объект') "
                                                "where \"table\" = 'Межузловой_участок'")),
                  0);

        TContent content(Dest);
        for (const QString& table : tables) {
            QStringList expected = before[table];
            if (chosen.contains(table)) {
                // Every row of the titles exactly once, beside what was there.
                expected += chosen[table];
                std::sort(expected.begin(), expected.end());
                EXPECT_EQ(content.Rows(table), expected) << table.toStdString();
            } else if (table.startsWith(QStringLiteral("Справочник_")) || SampleDictionaryTables().contains(table)) {
                // Rows already there are kept and reused; nothing is held twice.
                const QStringList after = content.Rows(table);
                for (const QString& row : before[table]) EXPECT_TRUE(after.contains(row)) << table.toStdString();
                EXPECT_EQ(after.size(), QSet<QString>(after.begin(), after.end()).size()) << table.toStdString();
            } else {
                EXPECT_EQ(content.Rows(table), expected) << table.toStdString();  // never copied
            }
        }
        // Regions and districts were all there already.
        EXPECT_EQ(content.Rows(QStringLiteral("Регион")), before[QStringLiteral("Регион")]);
        EXPECT_EQ(content.Rows(QStringLiteral("Район")), before[QStringLiteral("Район")]);
    }
};

TEST_F(TitleImportEndToEnd, IntoAnEmptyDestination) { Import(false); }

TEST_F(TitleImportEndToEnd, IntoADestinationWithTitlesOfItsOwn) { Import(true); }
