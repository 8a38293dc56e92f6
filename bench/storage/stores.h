#pragma once
// The two stores the benchmark runs the same diary operations on.

#include "bench/storage/bench_common.h"

namespace quill::bench {

StoreFigures RunSqlite(const BenchSetup& setup);
StoreFigures RunQuillbook(const BenchSetup& setup);

}  // namespace quill::bench
