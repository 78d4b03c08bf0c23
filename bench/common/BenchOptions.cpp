#include "common/BenchOptions.h"

namespace {

int OptionValue(const QStringList& args, const QString& name, int fallback) {
    const int at = static_cast<int>(args.indexOf(name));
    if (at < 0 || at + 1 >= args.size()) return fallback;
    bool ok = false;
    const int value = args[at + 1].toInt(&ok);
    return ok && value > 0 ? value : fallback;
}

QString TextOption(const QStringList& args, const QString& name) {
    const int at = static_cast<int>(args.indexOf(name));
    return at >= 0 && at + 1 < args.size() ? args[at + 1] : QString();
}

}  // namespace

// On PostgreSQL one title from a source a hundred times larger, measured once: making the
// databases there takes longer than the import.
TBenchOptions ParseBenchOptions(const QStringList& args) {
    TBenchOptions options;
    options.Dir = TextOption(args, QStringLiteral("--dir"));
    options.Postgres = TextOption(args, QStringLiteral("--postgres"));
    const bool postgres = !options.Postgres.isEmpty();
    const int scale = static_cast<int>(args.indexOf(QStringLiteral("--scale")));
    bool number = false;
    if (scale >= 0 && scale + 1 < args.size()) args[scale + 1].toInt(&number);
    options.RoadScale = scale >= 0 && !number;
    options.Titles = OptionValue(args, QStringLiteral("--titles"), postgres ? 1 : options.Titles);
    options.Rows = OptionValue(args, QStringLiteral("--rows"), options.Rows);
    options.DestTitles = OptionValue(args, QStringLiteral("--dest-titles"), options.DestTitles);
    options.Scale = OptionValue(args, QStringLiteral("--scale"), options.Scale);
    options.Repeat = OptionValue(args, QStringLiteral("--repeat"), postgres && !options.RoadScale ? 1 : options.Repeat);
    const QString latency = TextOption(args, QStringLiteral("--latency-ms"));
    if (!latency.isEmpty()) options.LatencyMs = qMax(0.0, latency.toDouble());
    return options;
}
