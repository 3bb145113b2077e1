#include "bench/bench_timing.h"

#include <algorithm>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

#include <windows.h>

double nowSeconds()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

const char *verdict(bool pass) { return pass ? "PASS" : "MISS"; }

double median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

PairResult runInterleaved(TimedBatch a, TimedBatch b, void *context, int rounds, int samples)
{
    PairResult r;
    r.samples = samples;
    a(context);
    b(context);
    int turn = 0;
    for (int round = 0; round < rounds; round++) {
        double ta = 0, tb = 0;
        for (int s = 0; s < samples; s++, turn++) {
            double sa, sb;
            if (turn % 2 == 0) {
                sa = a(context);
                sb = b(context);
            } else {
                sb = b(context);
                sa = a(context);
            }
            if (s == 0 || sa < ta) ta = sa;
            if (s == 0 || sb < tb) tb = sb;
        }
        r.a.push_back(ta);
        r.b.push_back(tb);
        r.ratio.push_back(ta > 0 ? tb / ta : 0);
    }
    r.medianA = median(r.a);
    r.medianB = median(r.b);
    r.medianRatio = median(r.ratio);
    return r;
}

int benchRounds(int fallback)
{
    const char *text = getenv("VARNEL_BENCH_ROUNDS");
    int rounds = text ? atoi(text) : fallback;
    return rounds < 7 ? 7 : rounds;
}

std::string formatted(const char *format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

void printRow(const char *figure, const std::string &baseline, const std::string &varnel, const std::string &ratio,
              const char *target, const char *result)
{
    printf("| %s | %s | %s | %s | %s | %s |\n", figure, baseline.c_str(), varnel.c_str(), ratio.c_str(), target,
           result);
    fflush(stdout);
}

void detail(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
    printf("\n");
    fflush(stdout);
}

static std::string roundList(const std::vector<double> &values)
{
    std::string text;
    for (double v : values) text += formatted("%s%.3g", text.empty() ? "" : " ", v);
    return text;
}

void detailRounds(const char *figure, const PairResult &r)
{
    const std::string rounds = r.samples > 1 ? formatted("%d rounds, each the fastest of %d interleaved batches a side",
                                                         (int)r.ratio.size(), r.samples)
                                             : formatted("%d interleaved rounds", (int)r.ratio.size());
    detail("- %s, %s. baseline: %s; varnel: %s; ratios: %s", figure, rounds.c_str(),
           roundList(r.a).c_str(), roundList(r.b).c_str(), roundList(r.ratio).c_str());
}
