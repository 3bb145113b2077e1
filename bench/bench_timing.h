// Timing and reporting for the benchmarks: interleaved A/B rounds, medians,
// and the table rows scripts/bench collects into out/bench.md.
#pragma once

#include <string>
#include <vector>

double nowSeconds();

// One timed batch of one side of a figure; returns microseconds per
// operation. The context is the figure's own.
typedef double (*TimedBatch)(void *context);

struct PairResult {
    std::vector<double> a, b, ratio;  // one entry per round; ratio is b / a of that round
    double medianA, medianB, medianRatio;
    int samples;  // batches of each side per round
};

double median(std::vector<double> values);

// A warm-up batch of each side, then rounds. A round runs `samples` short
// batches of each side, A and B alternating and the order swapped every
// time, and keeps the fastest of each side: on a shared machine a batch that
// another process interrupted only ever comes out slower, so the fastest is
// the one closest to the work itself. The figure is the median over rounds.
PairResult runInterleaved(TimedBatch a, TimedBatch b, void *context, int rounds, int samples = 9);
// The same with each side a callable of the figure's own (a lambda over its
// state) that runs one batch and returns microseconds per operation.
template <typename A, typename B> PairResult runInterleavedSides(A a, B b, int rounds, int samples = 9)
{
    struct Sides {
        A *a;
        B *b;
    } sides = {&a, &b};
    return runInterleaved([](void *c) -> double { return (*((Sides *)c)->a)(); },
                          [](void *c) -> double { return (*((Sides *)c)->b)(); }, &sides, rounds, samples);
}

// Microseconds per call of a small piece of work, for the profiles: the
// fastest of 15 batches of count calls.
template <typename Work> double timeCalls(int count, Work work)
{
    double fastest = 0;
    for (int b = 0; b < 15; b++) {
        double start = nowSeconds();
        for (int i = 0; i < count; i++) work();
        double perCall = (nowSeconds() - start) / count * 1e6;
        if (b == 0 || perCall < fastest) fastest = perCall;
    }
    return fastest;
}

// Rounds per figure: VARNEL_BENCH_ROUNDS when set, never fewer than 7.
int benchRounds(int fallback);

// A row of the results table, in Markdown.
void printRow(const char *figure, const std::string &baseline, const std::string &varnel, const std::string &ratio,
              const char *target, const char *result);
// "PASS" or "MISS".
const char *verdict(bool pass);
// Lines that are not rows go to the details below the table.
void detail(const char *format, ...) __attribute__((format(printf, 1, 2)));
void detailRounds(const char *figure, const PairResult &r);

std::string formatted(const char *format, ...) __attribute__((format(printf, 1, 2)));
