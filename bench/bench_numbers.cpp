// Number writing and reading as a results file and a weather file use them:
// appendReal against its general conversion, and readReal over weather-like
// fields.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/list_reader.h"
#include "common/number_format.h"

namespace {

using namespace rivulon;

std::vector<float> resultLikeValues() {
    std::vector<float> v;
    std::uint32_t n = 2463534242u;
    for (int i = 0; i < 4096; ++i) {
        n ^= n << 13;
        n ^= n >> 17;
        n ^= n << 5;
        const float scale = static_cast<float>(1u << (n % 20)) / 1024.0f;
        v.push_back(static_cast<float>(n % 100000) / 997.0f * scale);
    }
    return v;
}

void BM_AppendReal(benchmark::State& state) {
    const std::vector<float> values = resultLikeValues();
    std::string out;
    for (auto _ : state) {
        out.clear();
        for (float x : values)
            appendReal(out, x);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_AppendReal);

void BM_AppendRealGeneral(benchmark::State& state) {
    const std::vector<float> values = resultLikeValues();
    std::string out;
    for (auto _ : state) {
        out.clear();
        for (float x : values)
            appendRealGeneral(out, x);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_AppendRealGeneral);

void BM_ReadWeatherFields(benchmark::State& state) {
    std::string text;
    std::uint32_t n = 12345;
    for (int i = 0; i < 4096; ++i) {
        n = n * 69069u + 1u;
        text += std::to_string(static_cast<int>(n >> 20) % 300 - 100);
        text += n & 0x100 ? ".5," : ",";
        text += n & 0x200 ? ".36\n" : "0\n";
    }
    for (auto _ : state) {
        ListReader r("Weather.dat", text);
        float sum = 0;
        for (int i = 0; i < 2 * 4096; ++i)
            sum += r.readReal();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 2 * 4096);
}
BENCHMARK(BM_ReadWeatherFields);

}  // namespace
