#pragma once
// import_bench --postgres CONN --latency-ms D: what a network costs the import. The same import
// direct and through a proxy of the benchmark's own that adds D ms each way, the cost of one
// wait through the proxy, and the round trips and statements per copied row.

#include "common/BenchOptions.h"

void MeasureAcrossNetwork(const TBenchOptions& options);
