#pragma once

#include "bench_lab.h"

#include <cstdint>
#include <vector>

// From fork/exec of the real finder binary to its request arriving in the
// device namespace, once per run. The finder must not be running elsewhere
// in the namespace: it needs port 1010.
std::vector<std::int64_t> measureStartUp(const BenchLab &lab, int runs);
