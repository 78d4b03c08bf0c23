#include "common/ImportMeasure.h"

#include "common/PeakMemory.h"
#include "common/QuietFrontEnd.h"

#include "db/ADOQuery.h"
#include "db/Dialect.h"
#include "db/ImportDBModule.h"
#include "support/Exception.h"
#include "support/Log.h"
#include "titles/TitlePreparation.h"

#include <QElapsedTimer>
#include <QSet>
#include <cstdio>

long long TotalRows(TADOConnection& connection) {
    TADOQuery tables(&connection);
    tables.SetSQL(connection.Dialect().UserTablesStatement());
    tables.Open();
    QStringList names;
    for (; !tables.Eof(); tables.Next()) names << tables.Fields(0).AsString();
    tables.Close();
    long long total = 0;
    for (const QString& name : names) {
        TADOQuery count(&connection);
        count.SetSQL(QStringLiteral("select count(*) from ") + name);
        count.Open();
        total += count.Fields(0).AsInteger();
    }
    return total;
}

void OpenDatabase(TADOConnection& connection, const QString& connectionString) {
    connection.ConnectionString = connectionString;
    connection.CommandTimeout = 0;
    connection.Open();
}

TMeasure MeasureImport(const QString& source, const QString& dest, int titles, TImportPlan& plan) {
    TImportDBModule module;
    OpenDatabase(module.ADOConnectionSource, source);
    OpenDatabase(module.ADOConnectionDest, dest);
    TQuietFrontEnd frontEnd;
    FillListFromTable(QStringLiteral("Титул"), frontEnd, QStringLiteral("Код_титула, Наименование"), false, QString(),
                      QString(), module.SourceQuery);
    QSet<int> keys;
    for (int key = 1; key <= titles; ++key) keys.insert(key);
    frontEnd.TickTitles(keys);
    SetQuestionAsker(&frontEnd);
    const long long before = TotalRows(module.ADOConnectionDest);

    TMeasure measure;
    ResetPeakMemory();
    QElapsedTimer clock;
    clock.start();
    const int result = RunTitleImport(frontEnd, plan, module.ADOConnectionSource, module.ADOConnectionDest);
    measure.Seconds = clock.nsecsElapsed() / 1e9;
    measure.PeakKb = PeakMemoryKb();
    SetQuestionAsker(nullptr);
    if (result < 0) throw Exception(QStringLiteral("the import failed; see ") + LogFileName);
    measure.Rows = TotalRows(module.ADOConnectionDest) - before;
    measure.Refused = frontEnd.FailedRows;
    return measure;
}

void Print(const char* name, const TMeasure& measure) {
    std::printf("%-13s %9lld rows %9.3f s %9.0f rows/s  peak %7.1f MB", name, measure.Rows, measure.Seconds,
                measure.Rows / measure.Seconds, measure.PeakKb / 1024.0);
    if (measure.Refused > 0) std::printf("  (%d rows refused)", measure.Refused);
    std::printf("\n");
    std::fflush(stdout);
}

void MeasureInRounds(int rounds, std::vector<TMeasurement>& measurements) {
    for (int round = 0; round < rounds; ++round)
        for (TMeasurement& measurement : measurements) {
            const TMeasure next = measurement.Measure();
            if (round == 0 || next.Seconds < measurement.Best.Seconds) measurement.Best = next;
        }
    for (const TMeasurement& measurement : measurements) Print(measurement.Name, measurement.Best);
}

const TMeasure& Result(const std::vector<TMeasurement>& measurements, const char* name) {
    for (const TMeasurement& measurement : measurements)
        if (qstrcmp(measurement.Name, name) == 0) return measurement.Best;
    throw Exception(QStringLiteral("no measurement ") + QLatin1String(name));
}

double PerRow(const TMeasure& measure) { return measure.Seconds / static_cast<double>(qMax(1LL, measure.Rows)); }

long PeakOf(const std::vector<TMeasurement>& measurements) {
    long peak = 0;
    for (const TMeasurement& measurement : measurements) peak = qMax(peak, measurement.Best.PeakKb);
    return peak;
}

std::vector<TMeasurement> TitleImports(const TDatabases& databases, int titles, TImportPlans& plans) {
    const TDatabases* d = &databases;
    TImportPlans* p = &plans;
    return {
        {"import", [=] { return MeasureImport(d->Source, d->WorkCopy(d->Dest), titles, p->Import); }, {}},
        {"large dest", [=] { return MeasureImport(d->Source, d->WorkCopy(d->LargeDest), titles, p->LargeDest); }, {}},
        {"large source", [=] { return MeasureImport(d->LargeSource, d->WorkCopy(d->Dest), titles, p->LargeSource); }, {}},
    };
}
