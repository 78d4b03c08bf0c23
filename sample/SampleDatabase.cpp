#include "sample/SampleDatabase.h"

#include "sample/SampleRandom.h"
#include "sample/SampleWriter.h"
#include "sample/SampleWriting.h"

#include "db/ADOConnection.h"
#include "support/Exception.h"

#include <QFile>
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

void CreateSampleSchema(TADOConnection& connection) {
    for (const QString& statement : SampleSchemaStatements()) ExecuteStatement(connection, statement);
}

// Creates the file with the schema and fills it, all in one transaction (one write to disk).
static void WriteSampleFile(const QString& path, const std::function<void(TADOConnection&)>& fill) {
    CreateEmptyFile(path);
    TADOConnection connection;
    connection.ConnectionString = SampleConnectionString(path);
    connection.Open();
    try {
        ExecuteStatement(connection, QStringLiteral("BEGIN TRANSACTION;"));
        try {
            CreateSampleSchema(connection);
            fill(connection);
            ExecuteStatement(connection, QStringLiteral("COMMIT TRANSACTION;"));
        } catch (...) {
            try {
                ExecuteStatement(connection, QStringLiteral("ROLLBACK TRANSACTION;"));
            } catch (...) {
                // The first error is the one to report.
            }
            throw;
        }
    } catch (...) {
        connection.Close();
        throw;
    }
    connection.Close();
}

void GenerateSampleDatabase(const QString& path, int titles, int rowsPerTitle, std::uint64_t seed,
                            int firstTitleNumber) {
    if (titles < 0) throw Exception(QStringLiteral("Число титулов не может быть отрицательным"));
    if (rowsPerTitle < 1) throw Exception(QStringLiteral("Число записей на титул должно быть не меньше 1"));
    if (firstTitleNumber < 1) throw Exception(QStringLiteral("Номер первого титула должен быть не меньше 1"));
    WriteSampleFile(path, [&](TADOConnection& connection) {
        TSampleRandom random(seed);
        const TDictionaryKeys keys = WriteDictionaries(connection, TDictionaryOrder::Shuffled, random);
        WriteTitles(connection, keys, titles, rowsPerTitle, firstTitleNumber, random);
    });
}

void CreateEmptySampleDatabase(const QString& path, bool withDictionaries) {
    WriteSampleFile(path, [&](TADOConnection& connection) {
        if (!withDictionaries) return;
        TSampleRandom unused(0);
        WriteDictionaries(connection, TDictionaryOrder::DestinationReverse, unused);
    });
}
