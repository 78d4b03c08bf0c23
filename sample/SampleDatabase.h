#pragma once
// The sample road-inventory database for SQLite: the schema of sample/RoadSchema.sql (SQL
// Server type names, identity keys as "integer primary key") and a seeded generator of its
// content. Used by the tests, the demo (road-sample) and the benchmarks.
//
// Content of a generated source, for each title (rows = rowsPerTitle, at least 1):
//   Титул 1 row (keys 1..titles, names "<road>, участок № <number>"), Журнал_изменений_титула
//   2 rows (no primary key), Межузловой_участок rows, Дорожный_объект rows (every odd one a
//   part of the one before it; with rows >= 2 the last one names a section that does not
//   exist, with rows >= 3 the second one names none), per object 1-2 Знак rows and one
//   Измерение row (referring to the object and to a section of the same title), Событие rows
//   (even ones inspections with 2 defects each, the first mended by the next event; odd ones
//   works with a repair, its acceptance act, a warranty repair based on that act and its act),
//   Фото_дефекта rows, and rows of the five tables the import never copies.
// The dictionary and territorial rows are the same in every database (SampleDictionaries);
// only the order in which they are written, and so their keys, depends on the seed.

#include <QString>
#include <QStringList>
#include <cstdint>

class TADOConnection;

// "Provider=SQLite;Location=" + path
QString SampleConnectionString(const QString& path);

// The schema text, and its statements one per entry (without the closing semicolons).
QString SampleSchemaText();
QStringList SampleSchemaStatements();
// The same schema for PostgreSQL (RoadSchema.postgres.sql): identity keys, PostgreSQL types.
QString SamplePostgresSchemaText();
QStringList SamplePostgresSchemaStatements();

// The dictionary and territorial tables of the sample, referenced tables first.
QStringList SampleDictionaryTables();

// Replaces the file at path with a new sample database holding `titles` titles of
// `rowsPerTitle` rows each (see above), drawn from seed. Titles are numbered from
// firstTitleNumber in their names, so databases made with disjoint numbers share no title
// name. The same arguments always give the same content. Raises Exception on bad arguments
// or when the file cannot be written.
void GenerateSampleDatabase(const QString& path, int titles, int rowsPerTitle, std::uint64_t seed,
                            int firstTitleNumber = 1);

// Replaces the file at path with an empty database of the sample schema. withDictionaries:
// it holds the dictionary and territorial rows that a working destination already has:
// every region and district, and every row of the other dictionaries but the last one of
// each list, written in reverse order so that their keys differ from a source's.
void CreateEmptySampleDatabase(const QString& path, bool withDictionaries = false);

// The same two kinds of database written into the empty database of an open connection
// (SQLite or PostgreSQL), in one transaction, with the schema of its backend. On PostgreSQL
// every identity column then continues after the largest key written, so that the server
// assigns new keys to the rows an import adds.
void FillSampleDatabase(TADOConnection& connection, int titles, int rowsPerTitle, std::uint64_t seed,
                        int firstTitleNumber = 1);
void FillEmptySampleDatabase(TADOConnection& connection, bool withDictionaries = false);
