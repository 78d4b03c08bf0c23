#include "common/NetworkBench.h"

#include "common/ImportMeasure.h"
#include "common/LatencyProxy.h"
#include "common/PostgresBench.h"
#include "common/PostgresSample.h"
#include "common/RoundTrips.h"

#include "titles/ImportPlan.h"

#include <cstdio>

namespace {

// One-row queries that calibrate what a wait for the server costs through the proxy.
constexpr int CalibrationQueries = 2000;
// Each measurement is taken this often and the fastest kept: on a busy machine the proxy's
// threads are sometimes late, never early.
constexpr int Repeats = 3;

// What one wait for the server adds through the proxy, in milliseconds.
double CalibrateWait(const QString& connection, int proxyPort) {
    double direct = 1e9, proxied = 1e9;
    for (int i = 0; i < Repeats; ++i) {
        direct = qMin(direct, OneRowQuerySeconds(connection, CalibrationQueries));
        proxied = qMin(proxied, OneRowQuerySeconds(ThroughProxy(connection, proxyPort), CalibrationQueries));
    }
    const double waitMs = (proxied - direct) * 1000 / CalibrationQueries;
    std::printf("a wait for the server through the proxy: %.3f ms (%d one-row queries: %.3f s direct, %.3f s "
                "through the proxy)\n",
                waitMs, CalibrationQueries, direct, proxied);
    return waitMs;
}

}  // namespace

// The import of the titles from the source into a fresh copy of the destination, direct and
// through a proxy that adds the latency each way; the difference in seconds, divided by the
// calibrated cost of one wait, gives the round trips of the run. The proxy also counts them on
// the wire (connection set-up and the benchmark's row counts included), and the statements.
void MeasureAcrossNetwork(const TBenchOptions& options) {
    const QString& server = options.Postgres;
    // The import reads the source and nothing else; every run writes into a fresh copy of the
    // destination.
    const QString source = PostgresBenchSample(server, QStringLiteral("source"), options.Titles, options.Rows, 1, 1);
    const QString dest = PostgresBenchSampleName(QStringLiteral("dest"), options.DestTitles, options.Rows);
    PostgresBenchSample(server, QStringLiteral("dest"), options.DestTitles, options.Rows, 2, options.Titles * options.Scale + 1);
    const auto destCopy = [&] { return CopyPostgresDatabase(server, dest, QStringLiteral("road_bench_work")); };
    std::printf("PostgreSQL: import of %d titles of %d rows; destination of %d titles; %.2f ms added each way\n",
                options.Titles, options.Rows, options.DestTitles, options.LatencyMs);

    QString host;
    int port = 0;
    ServerAddressOf(server, host, port);
    TLatencyProxy proxy(host, port, options.LatencyMs);
    const double waitMs = CalibrateWait(source, proxy.Port());

    TMeasure direct, far;
    TWireCounts wire;
    for (int i = 0; i < Repeats; ++i) {
        TImportPlan plan;
        const TMeasure near = MeasureImport(source, destCopy(), options.Titles, plan);
        if (i == 0 || near.Seconds < direct.Seconds) direct = near;
        proxy.ResetCounts();
        TImportPlan farPlan;
        const TMeasure across = MeasureImport(ThroughProxy(source, proxy.Port()),
                                              ThroughProxy(destCopy(), proxy.Port()), options.Titles, farPlan);
        wire = proxy.Counts();
        if (i == 0 || across.Seconds < far.Seconds) far = across;
    }
    Print("import", direct);
    Print("across", far);
    const double rows = static_cast<double>(far.Rows);
    const double roundTrips = (far.Seconds - direct.Seconds) * 1000 / waitMs;
    std::printf("round trips/row %.2f  statements/row %.2f  (on the wire %.2f waits/row; import %.3f s direct, "
                "%.3f s with %.2f ms each way, %lld rows, %.3f ms a wait)\n",
                roundTrips / rows, wire.Statements / rows, wire.Exchanges / rows, direct.Seconds, far.Seconds,
                options.LatencyMs, far.Rows, waitMs);
}

