#pragma once
// One timed import through the same run as road-import, and measurements taken in rounds.

#include <QString>
#include <functional>
#include <vector>

class TADOConnection;
#include "titles/ImportPlan.h"

struct TMeasure {
    long long Rows = 0;
    double Seconds = 0;
    long PeakKb = -1;
    int Refused = 0;
};

// The four databases of a run as connection strings, and how a fresh work copy of a
// destination is made.
struct TDatabases {
    QString Source, LargeSource, Dest, LargeDest;
    std::function<QString(const QString&)> WorkCopy;
};

void OpenDatabase(TADOConnection& connection, const QString& connectionString);
long long TotalRows(TADOConnection& connection);

// One whole import of the titles 1..titles, timed from the run's start to its end (commit and
// clean-up included). The plan is left for the floor.
TMeasure MeasureImport(const QString& source, const QString& dest, int titles, TImportPlan& plan);

void Print(const char* name, const TMeasure& measure);

// One measurement of the run, and the fastest it gave.
struct TMeasurement {
    const char* Name;
    std::function<TMeasure()> Measure;
    TMeasure Best;
};

// Every measurement once per round, `rounds` rounds, the fastest of each counting: other
// programs on the machine only ever make one slower, and the rounds spread what they do over
// all measurements alike, so that the ratios hold still.
void MeasureInRounds(int rounds, std::vector<TMeasurement>& measurements);

// The plans the three imports of the databases leave, for the measurements made after them.
struct TImportPlans {
    TImportPlan Import, LargeDest, LargeSource;
};
// "import", "large dest" and "large source": the titles 1..titles from the source into the
// destination, into the large destination, and from the large source. The databases and
// the plans must outlive the measurements.
std::vector<TMeasurement> TitleImports(const TDatabases& databases, int titles, TImportPlans& plans);
const TMeasure& Result(const std::vector<TMeasurement>& measurements, const char* name);
long PeakOf(const std::vector<TMeasurement>& measurements);
double PerRow(const TMeasure& measure);
