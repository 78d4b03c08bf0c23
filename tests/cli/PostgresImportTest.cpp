// road-import between two databases of the suite's real PostgreSQL server, with a schema
// written the way PostgreSQL users write one: serial keys, text and varchar without a
// length, bytea, a self reference that is deferrable and initially deferred, and triggers
// in the destination that raise a NOTICE or refuse rows.

#include "cli/CliHarness.h"
#include "common/PostgresTestServer.h"
#include "common/TestFiles.h"

#include "db/ADOConnection.h"
#include "db/ConnectionString.h"

#include <QFile>
#include <QRegularExpression>

namespace {

const QStringList RoadSchema = {
    QStringLiteral("create table Организация (Код_организации serial primary key, Наименование text not null)"),
    QStringLiteral("create table Справочник_покрытий (Код_покрытия serial primary key, Описание varchar not null)"),
    QStringLiteral("create table Титул (Код_титула serial primary key, Наименование varchar not null, "
                   "Код_организации int references Организация, Создан timestamp not null default now())"),
    QStringLiteral("create table Элемент_обустройства (Код_элемента serial primary key, "
                   "Код_титула int not null references Титул, "
                   "Код_родителя int references Элемент_обустройства deferrable initially deferred, "
                   "Код_покрытия int references Справочник_покрытий, Описание text not null, Схема bytea)"),
};

void Execute(TADOConnection& connection, const QStringList& statements) {
    for (const QString& statement : statements) connection.Run(statement, {}, false);
}

// A database of the road schema on the test server, opened.
void MakeRoadDatabase(TADOConnection& connection, const QString& name) {
    connection.ConnectionString = CreatePostgresDatabase(name);
    connection.Open();
    Execute(connection, RoadSchema);
}

// Every column and index of the public schema: what a run must leave as it found it.
QStringList SchemaOf(TADOConnection& connection) {
    return Rows(connection, QStringLiteral("select table_name, column_name, data_type from information_schema.columns "
                                           "where table_schema = 'public' order by 1, 2")) +
           Rows(connection, QStringLiteral("select indexname, indexdef from pg_indexes where schemaname = 'public' "
                                           "order by 1"));
}

class PostgresImport : public ::testing::Test {
protected:
    void SetUp() override {
        const QString missing = PostgresServerMissingReason();
        if (!missing.isEmpty()) return;  // each test says so through REQUIRE_POSTGRES_SERVER
        const QString prefix = QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name());
        SourceName = QStringLiteral("road_pgimport_src_") + prefix.left(20).toLower();
        DestName = QStringLiteral("road_pgimport_dst_") + prefix.left(20).toLower();
        MakeRoadDatabase(Source, SourceName);
        MakeRoadDatabase(Dest, DestName);
    }
    void TearDown() override {
        Source.Close();
        Dest.Close();
        if (!SourceName.isEmpty()) DropPostgresDatabase(SourceName);
        if (!DestName.isEmpty()) DropPostgresDatabase(DestName);
    }

    // Three titles; the first has a shelter whose element comes before the stop it belongs to.
    void FillSource() {
        Execute(Source, {
            QStringLiteral("insert into Организация (Наименование) values ('Дорожное управление'), ('Мостострой')"),
            QStringLiteral("insert into Справочник_покрытий (Описание) values ('Асфальтобетон'), ('Щебень')"),
            QStringLiteral("insert into Титул (Наименование, Код_организации) values ('Дорога А', 1), ('Дорога Б', 2), "
                           "('Дорога В', null)"),
            QStringLiteral("insert into Элемент_обустройства (Код_титула, Код_родителя, Код_покрытия, Описание, Схема) values "
                           "(1, 2, 2, 'Навес', '\\x0102'), (1, null, 1, 'Остановка', null), (2, null, 2, 'Ограждение', null), "
                           "(3, null, null, 'Знак', null), (3, null, null, 'Запрещено', null)"),
        });
    }

    // The destination knows both organisations' neighbour and the coverings under other keys.
    void FillDest() {
        Execute(Dest, {
            QStringLiteral("insert into Организация (Наименование) values ('Мостострой'), ('Прочая')"),
            QStringLiteral("insert into Справочник_покрытий (Описание) values ('Щебень'), ('Асфальтобетон')"),
            QStringLiteral("create function Сообщить_о_вставке() returns trigger language plpgsql as "
                           "$$ begin raise notice 'элемент % принят', new.Описание; return new; end $$"),
            QStringLiteral("create trigger Элемент_принят after insert on Элемент_обустройства "
                           "for each row execute function Сообщить_о_вставке()"),
            QStringLiteral("alter table Элемент_обустройства add constraint Не_запрещено check (Описание <> 'Запрещено')"),
        });
    }

    QStringList Arguments(const QString& sourceConnection, const QStringList& more) const {
        return QStringList{QStringLiteral("--source"), sourceConnection, QStringLiteral("--dest"),
                           Dest.ConnectionString, QStringLiteral("--log"), LogPath} +
               more;
    }
    QString LogText() const {
        QFile file(LogPath);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    TTestDir Dir;
    QString LogPath = Dir.Path(QStringLiteral("road-import.log"));
    QString SourceName;
    QString DestName;
    TADOConnection Source;
    TADOConnection Dest;
};

// Server chatter has no place on the terminal: it belongs in the diagnostic log.
void ExpectNoServerMessages(const TToolRun& run) {
    for (const QString& word : {QStringLiteral("NOTICE"), QStringLiteral("WARNING")})
        EXPECT_FALSE(run.Err.contains(word) || run.Out.join(QLatin1Char('\n')).contains(word))
            << word.toStdString() << "\n" << run.Err.toStdString();
}

}  // namespace

// Dictionaries keyed by text columns are matched, the deferred self reference does not keep
// the temporary columns in place, and the destination's notices go to the log. A second run
// whose rows the destination partly refuses is saved with its own exit status.
TEST_F(PostgresImport, TitlesArriveAndBothSchemasStayAsTheyWere) {
    REQUIRE_POSTGRES_SERVER();
    FillSource();
    FillDest();
    const QStringList sourceSchema = SchemaOf(Source);
    const QStringList destSchema = SchemaOf(Dest);

    const TToolRun run = RunImporter(Arguments(Source.ConnectionString, {QStringLiteral("--titles"), QStringLiteral("1,2"),
                                                                          QStringLiteral("--save"), QStringLiteral("yes")}));
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString() << run.Out.join(QLatin1Char('\n')).toStdString();
    ASSERT_GE(run.Out.size(), 2);
    EXPECT_EQ(run.Out[run.Out.size() - 2], QStringLiteral("Импорт прошел успешно!"));
    EXPECT_TRUE(run.Out.filter(QStringLiteral("Не удалось")).isEmpty()) << run.Out.join(QLatin1Char('\n')).toStdString();
    ExpectNoServerMessages(run);
    EXPECT_TRUE(LogText().contains(QStringLiteral("NOTICE:  элемент Навес принят"))) << LogText().toStdString();

    EXPECT_EQ(SchemaOf(Source), sourceSchema);
    EXPECT_EQ(SchemaOf(Dest), destSchema);
    EXPECT_EQ(Rows(Dest, QStringLiteral("select t.Наименование, o.Наименование from Титул t "
                                        "left join Организация o using (Код_организации) order by 1")),
              (QStringList{QStringLiteral("Дорога А|Дорожное управление"), QStringLiteral("Дорога Б|Мостострой")}));
    EXPECT_EQ(Rows(Dest, QStringLiteral("select count(*) from Организация")), QStringList{QStringLiteral("3")});
    EXPECT_EQ(Rows(Dest, QStringLiteral("select e.Описание, p.Описание, c.Описание, encode(e.Схема, 'hex') "
                                        "from Элемент_обустройства e "
                                        "left join Элемент_обустройства p on p.Код_элемента = e.Код_родителя "
                                        "left join Справочник_покрытий c on c.Код_покрытия = e.Код_покрытия order by 1")),
              (QStringList{QStringLiteral("Навес|Остановка|Щебень|0102"),
                           QStringLiteral("Ограждение|NULL|Щебень|NULL"),
                           QStringLiteral("Остановка|NULL|Асфальтобетон|NULL")}));

    const TToolRun refused = RunImporter(Arguments(Source.ConnectionString, {QStringLiteral("--titles"), QStringLiteral("3"),
                                                                              QStringLiteral("--save"), QStringLiteral("yes")}));
    EXPECT_EQ(refused.ExitCode, 4) << refused.Err.toStdString();
    ASSERT_GE(refused.Out.size(), 2);
    EXPECT_EQ(refused.Out[refused.Out.size() - 2], QStringLiteral("Импорт прошел успешно!"));
    EXPECT_EQ(refused.Out.filter(QRegularExpression(QStringLiteral(
                                     "^Не удалось добавить запись в таблицу Элемент_обустройства с кодом 5\\. Ошибка: .*Не_запрещено")))
                  .size(),
              1)
        << refused.Out.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(refused.Err.contains(QStringLiteral("the import was saved, but 1 row(s) failed"))) << refused.Err.toStdString();
    ExpectNoServerMessages(refused);
    EXPECT_EQ(Rows(Dest, QStringLiteral("select Описание from Элемент_обустройства where Код_титула in "
                                        "(select Код_титула from Титул where Наименование = 'Дорога В')")),
              QStringList{QStringLiteral("Знак")});
    EXPECT_EQ(SchemaOf(Source), sourceSchema);
    EXPECT_EQ(SchemaOf(Dest), destSchema);
}

// A check that the destination puts off to the end of the transaction and that fails there
// fails the run: nothing is saved, no temporary column stays, no server warning is printed.
TEST_F(PostgresImport, ADeferredCheckThatFailsFailsTheRun) {
    REQUIRE_POSTGRES_SERVER();
    FillSource();
    Execute(Dest, {
        QStringLiteral("create function Отказать() returns trigger language plpgsql as "
                       "$$ begin raise exception 'титул % не принят', new.Наименование; end $$"),
        QStringLiteral("create constraint trigger Титул_проверен after insert on Титул deferrable initially deferred "
                       "for each row execute function Отказать()"),
    });
    const QStringList destSchema = SchemaOf(Dest);

    const TToolRun run = RunImporter(Arguments(Source.ConnectionString, {QStringLiteral("--titles"), QStringLiteral("1"),
                                                                          QStringLiteral("--save"), QStringLiteral("yes")}));
    EXPECT_EQ(run.ExitCode, 1) << run.Err.toStdString();
    ASSERT_FALSE(run.Out.isEmpty());
    EXPECT_EQ(run.Out.last(), QStringLiteral("Ошибка импорта"));
    ExpectNoServerMessages(run);
    EXPECT_TRUE(LogText().contains(QStringLiteral("титул Дорога А не принят"))) << LogText().toStdString();
    EXPECT_FALSE(LogText().contains(QStringLiteral("pending trigger events"))) << LogText().toStdString();
    EXPECT_EQ(Rows(Dest, QStringLiteral("select count(*) from Титул")), QStringList{QStringLiteral("0")});
    EXPECT_EQ(SchemaOf(Dest), destSchema);
}

// Roles as a shared server gives them: the source's may only read its tables, the
// destination's may only do what the copy needs (read, insert, update for the references put
// off, take keys from the sequences); neither owns a table. The import saves, the source is
// exactly as it was, rows and schema, and the destination's schema too.
TEST_F(PostgresImport, ASourceTheUserMayOnlyReadImportsAndIsLeftAsItWas) {
    REQUIRE_POSTGRES_SERVER();
    FillSource();
    const QString reader = QStringLiteral("road_pgimport_reader");
    const QString writer = QStringLiteral("road_pgimport_writer");
    const QString password = QStringLiteral("Read only; 1");
    TADOConnection admin;
    admin.ConnectionString = PostgresAdminConnectionString();
    admin.Open();
    for (const QString& role : {reader, writer}) {
        admin.Run(QStringLiteral("drop role if exists ") + role, {}, false);
        admin.Run(QStringLiteral("create role ") + role + QStringLiteral(" login password '") + password + QLatin1Char('\''),
                  {}, false);
    }
    Source.Run(QStringLiteral("grant select on all tables in schema public to ") + reader, {}, false);
    Dest.Run(QStringLiteral("grant select, insert, update on all tables in schema public to ") + writer, {}, false);
    Dest.Run(QStringLiteral("grant usage on all sequences in schema public to ") + writer, {}, false);
    const TConnectionParams server = ParseConnectionString(Source.ConnectionString);
    const auto as = [&](const QString& role, const QString& database) {
        return QStringLiteral("Provider=PostgreSQL;Data Source=") + server.DataSource() + QStringLiteral(";Location=") +
               database + QStringLiteral(";User ID=") + role + QStringLiteral(";Password=\"") + password + QLatin1Char('"');
    };
    const QStringList sourceSchema = SchemaOf(Source);
    const QStringList destSchema = SchemaOf(Dest);
    const QString rowsOf = QStringLiteral("select t.Наименование, e.Описание, encode(e.Схема, 'hex') from Титул t "
                                          "join Элемент_обустройства e using (Код_титула) order by 1, 2");
    const QStringList sourceRows = Rows(Source, rowsOf);

    const TToolRun run = RunImporter({QStringLiteral("--source"), as(reader, SourceName), QStringLiteral("--dest"),
                                      as(writer, DestName), QStringLiteral("--log"), LogPath, QStringLiteral("--titles"),
                                      QStringLiteral("1,2"), QStringLiteral("--save"), QStringLiteral("yes")});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString() << run.Out.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(run.Out.value(run.Out.size() - 2), QStringLiteral("Импорт прошел успешно!"));
    ExpectNoServerMessages(run);
    EXPECT_EQ(SchemaOf(Source), sourceSchema);
    EXPECT_EQ(Rows(Source, rowsOf), sourceRows);
    EXPECT_EQ(SchemaOf(Dest), destSchema);
    EXPECT_EQ(Rows(Dest, rowsOf),
              (QStringList{QStringLiteral("Дорога А|Навес|0102"), QStringLiteral("Дорога А|Остановка|NULL"),
                           QStringLiteral("Дорога Б|Ограждение|NULL")}));

    Source.Close();
    Dest.Close();
    DropPostgresDatabase(SourceName);  // the roles' privileges go with the databases
    DropPostgresDatabase(DestName);
    for (const QString& role : {reader, writer}) admin.Run(QStringLiteral("drop role ") + role, {}, false);
}

// PostgreSQL stores an updated row anew, so an unordered select returns the titles in the
// order they were last written; the list shows them in key order all the same.
TEST_F(PostgresImport, TitleListIsInKeyOrderAfterTitlesWereRewritten) {
    REQUIRE_POSTGRES_SERVER();
    FillSource();
    Source.Run(QStringLiteral("update Титул set Наименование = Наименование || '' where Код_титула = 1"), {}, false);
    ASSERT_NE(Rows(Source, QStringLiteral("select Код_титула from Титул")).value(0), QStringLiteral("1"));

    const TToolRun run = RunImporter({QStringLiteral("--source"), Source.ConnectionString, QStringLiteral("--list-titles"),
                                      QStringLiteral("--log"), LogPath});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, (QStringList{QStringLiteral("1\tДорога А"), QStringLiteral("2\tДорога Б"),
                                    QStringLiteral("3\tДорога В")}));
}
