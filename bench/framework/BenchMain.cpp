// The benchmark program's entry, weak so that another file of the program may bring its own.
#include <benchmark/benchmark.h>

__attribute__((weak)) int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
