// Cost of the calculation a keystroke triggers, and of the two text conversions it is made of.
#include "extension_calc.h"

#include <benchmark/benchmark.h>

namespace {

void calculateExampleSheet(benchmark::State &state)
{
    estrivo::SampleSheet sheet;
    sheet.setText(estrivo::Field::Con, "150");
    sheet.setText(estrivo::Field::GFV, "60");
    for (auto _ : state) {
        estrivo::Calculate(sheet);
        benchmark::DoNotOptimize(sheet);
    }
}
BENCHMARK(calculateExampleSheet);

void readNumber(benchmark::State &state)
{
    const char *const texts[] = {"6.66666666666667", "150", " 7.5 ml", "---.-", "1.5E-05"};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(estrivo::readNumber(texts[i]));
        i = (i + 1) % std::size(texts);
    }
}
BENCHMARK(readNumber);

void writeNumber(benchmark::State &state)
{
    const double values[] = {500.0 / 150.0 / 0.5, 40.0, 1.0 / 3.0, 1e-5, 33.3333333333333};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(estrivo::writeNumber(values[i]));
        i = (i + 1) % std::size(values);
    }
}
BENCHMARK(writeNumber);

} // namespace

BENCHMARK_MAIN();
