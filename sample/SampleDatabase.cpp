#include "sample/SampleDatabase.h"

#include "sample/SampleRandom.h"
#include "sample/SampleWriter.h"
#include "sample/SampleWriting.h"

#include "db/ADOConnection.h"
#include "db/Backend.h"
#include "support/Exception.h"

#include <QFile>
#include <QHash>
#include <functional>

// An empty file is an empty SQLite database.
static void CreateEmptyFile(const QString& path) {
    if (QFile::exists(path) && !QFile::remove(path))
        throw Exception(QStringLiteral("Не удалось заменить файл ") + path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Exception(QStringLiteral("Не удалось создать файл ") + path + QStringLiteral(": ") + file.errorString());
    file.close();
}

// The rows are written with their keys; the server's identity columns must go on after them.
static const QString ContinueIdentityKeysStatement = QStringLiteral(
    "DO $$ DECLARE r record; BEGIN "
    "FOR r IN SELECT c.relname, a.attname FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
    "WHERE a.attidentity <> '' AND c.relnamespace = 'public'::regnamespace LOOP "
    "EXECUTE format('SELECT setval(pg_get_serial_sequence(%L, %L), coalesce((SELECT max(%I) FROM %I), 0) + 1, false)', "
    "quote_ident(r.relname), r.attname, r.attname, r.relname); "
    "END LOOP; END $$");

// The sample's schema in the SQL of a backend, and what runs once the rows are written.
struct TSampleFlavour {
    QStringList (*SchemaStatements)();
    QStringList AfterRows;
};

// The flavour written for the connection's backend, by the backend's id.
static const TSampleFlavour& SampleFlavourOf(const TADOConnection& connection) {
    static const QHash<QString, TSampleFlavour> flavours{
        {QStringLiteral("sqlite"), {&SampleSchemaStatements, {}}},
        {QStringLiteral("postgres"), {&SamplePostgresSchemaStatements, {ContinueIdentityKeysStatement}}},
    };
    const TBackend& backend = connection.Backend();
    const auto found = flavours.constFind(backend.Id());
    if (found == flavours.constEnd())
        throw Exception(QStringLiteral("Образец базы данных нельзя записать в базу ") + backend.Caption());
    return *found;
}

void CreateSampleSchema(TADOConnection& connection) {
    for (const QString& statement : SampleFlavourOf(connection).SchemaStatements()) ExecuteStatement(connection, statement);
}

static void ContinueIdentityKeys(TADOConnection& connection) {
    for (const QString& statement : SampleFlavourOf(connection).AfterRows) ExecuteStatement(connection, statement);
}

// Creates the schema and fills it, all in one transaction (one write to disk).
static void WriteSampleDatabase(TADOConnection& connection, const std::function<void(TADOConnection&)>& fill) {
    ExecuteStatement(connection, QStringLiteral("BEGIN TRANSACTION;"));
    try {
        CreateSampleSchema(connection);
        fill(connection);
        ContinueIdentityKeys(connection);
        ExecuteStatement(connection, QStringLiteral("COMMIT TRANSACTION;"));
    } catch (...) {
        try {
            ExecuteStatement(connection, QStringLiteral("ROLLBACK TRANSACTION;"));
        } catch (...) {
            // The first error is the one to report.
        }
        throw;
    }
}

static void WriteSampleFile(const QString& path, const std::function<void(TADOConnection&)>& fill) {
    CreateEmptyFile(path);
    TADOConnection connection;
    connection.ConnectionString = SampleConnectionString(path);
    connection.Open();
    WriteSampleDatabase(connection, fill);
    connection.Close();
}

static std::function<void(TADOConnection&)> SourceContent(int titles, int rowsPerTitle, std::uint64_t seed,
                                                          int firstTitleNumber) {
    if (titles < 0) throw Exception(QStringLiteral("Число титулов не может быть отрицательным"));
    if (rowsPerTitle < 1) throw Exception(QStringLiteral("Число записей на титул должно быть не меньше 1"));
    if (firstTitleNumber < 1) throw Exception(QStringLiteral("Номер первого титула должен быть не меньше 1"));
    return [=](TADOConnection& connection) {
        TSampleRandom random(seed);
        const TDictionaryKeys keys = WriteDictionaries(connection, TDictionaryOrder::Shuffled, random);
        WriteTitles(connection, keys, titles, rowsPerTitle, firstTitleNumber, random);
    };
}

static std::function<void(TADOConnection&)> EmptyContent(bool withDictionaries) {
    return [=](TADOConnection& connection) {
        if (!withDictionaries) return;
        TSampleRandom unused(0);
        WriteDictionaries(connection, TDictionaryOrder::DestinationReverse, unused);
    };
}

void GenerateSampleDatabase(const QString& path, int titles, int rowsPerTitle, std::uint64_t seed,
                            int firstTitleNumber) {
    WriteSampleFile(path, SourceContent(titles, rowsPerTitle, seed, firstTitleNumber));
}

void CreateEmptySampleDatabase(const QString& path, bool withDictionaries) {
    WriteSampleFile(path, EmptyContent(withDictionaries));
}

void FillSampleDatabase(TADOConnection& connection, int titles, int rowsPerTitle, std::uint64_t seed,
                        int firstTitleNumber) {
    WriteSampleDatabase(connection, SourceContent(titles, rowsPerTitle, seed, firstTitleNumber));
}

void FillEmptySampleDatabase(TADOConnection& connection, bool withDictionaries) {
    WriteSampleDatabase(connection, EmptyContent(withDictionaries));
}
