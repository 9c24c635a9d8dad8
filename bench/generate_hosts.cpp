// generate-hosts LINES OUT_FILE [SEED]
//
// Writes a deterministic, realistic hosts file of exactly LINES lines (about
// 30 bytes a line) for the benchmarks. The same LINES and SEED always give
// the same bytes.

#include "bench_support.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: %s LINES OUT_FILE [SEED]\n", argc > 0 ? argv[0] : "generate-hosts");
        return 2;
    }
    try {
        const std::size_t lines = bench::parseCount(argv[1], "LINES");
        const std::uint64_t seed = argc == 4 ? bench::parseCount(argv[3], "SEED") : 1;
        bench::writeGeneratedHosts(argv[2], lines, seed);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "generate-hosts: %s\n", error.what());
        return 1;
    }
    return 0;
}
