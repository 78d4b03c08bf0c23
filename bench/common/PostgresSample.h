#pragma once
// Sample road-inventory databases on a PostgreSQL server, for the benchmark: the sample's
// PostgreSQL schema (sample/RoadSchema.postgres.sql) and the sample generator's content.

#include <QString>
#include <cstdint>

// serverConnection: a connection string without a database (Provider=PostgreSQL;Data
// Source=host:port;User ID=...;Password=...). Each returns the new database's connection
// string; an existing database of that name is replaced. Raises on a database error.
QString MakePostgresSample(const QString& serverConnection, const QString& name, int titles, int rowsPerTitle,
                           std::uint64_t seed, int firstTitleNumber);
// An empty database of the sample's schema, with the dictionaries a working destination holds.
QString MakePostgresEmptySample(const QString& serverConnection, const QString& name);
// A copy of a database (CREATE DATABASE ... TEMPLATE).
QString CopyPostgresDatabase(const QString& serverConnection, const QString& from, const QString& name);
void DropPostgresDatabaseIfAny(const QString& serverConnection, const QString& name);
