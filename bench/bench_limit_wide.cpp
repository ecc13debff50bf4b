// The same fill compiled at -O3 (see CMakeLists.txt): what the fill limit would be if the
// compiler vectorised it. Shown for reference; the targets use the fill as our code is built.
#define BRELUND_LIMIT_NAME "limit/fill_O3/"
#include "bench/bench_limit.cpp"
