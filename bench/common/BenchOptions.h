#pragma once
// The options of import_bench (its usage is at the top of import_bench.cpp).

#include <QString>
#include <QStringList>

struct TBenchOptions {
    int Titles = 10;
    int Rows = 300;
    int DestTitles = 3;
    int Scale = 100;
    int Repeat = 3;
    QString Dir;
    QString Postgres;
    double LatencyMs = 0;
    bool RoadScale = false;  // "--scale" without a number: the import at a real road's size
};

TBenchOptions ParseBenchOptions(const QStringList& args);
