// Running TeXDraw written elsewhere: time per statement stays the same from a thousand statements
// to a quarter of a million (linear time), for the commands themselves, comments, segments,
// unknown commands and a macro of the file's own in the mix.
#include "texdraw/Interpreter.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

namespace {

std::string MakeBody(int statements) {
    std::mt19937 rng(7);
    std::string body = "\\def\\step#1{\\rlvec(#1 0)\\rmove(0 0.1)}\n";
    int depth = 0;
    for (int i = 0; i < statements; ++i) {
        const std::string x = std::to_string(rng() % 500 / 100.0), y = std::to_string(rng() % 7);
        switch (rng() % 8) {
        case 0:
            body += "\\move (" + x + " " + y + ")\n";
            break;
        case 1:
            body += "\\lvec (" + x + " " + y + ") %E0 1 2 3\n";
            break;
        case 2:
            body +=
                depth < 8 ? (++depth, "\\bsegment \\setsegscale 2\n") : (--depth, "\\esegment\n");
            break;
        case 3:
            body += "\\step{0." + y + "}\n";
            break;
        case 4:
            body += "\\writeps{1 setlinecap} % kept\n";
            break;
        case 5:
            body += "\\htext (" + x + " 1){$x_" + y + "$}\n";
            break;
        case 6:
            body += "\\clvec (1 1)(2 " + y + ")(" + x + " 0)\n";
            break;
        default:
            body += "\\lcir r:0." + y + "\n";
        }
    }
    return body;
}

void BM_InterpretTeXDraw(benchmark::State& state) {
    const std::string body = MakeBody(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(InterpretTeXDraw(body));
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_InterpretTeXDraw)
    ->RangeMultiplier(8)
    ->Range(1 << 10, 1 << 18)
    ->Complexity(benchmark::oN);

} // namespace
