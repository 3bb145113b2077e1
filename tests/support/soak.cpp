#include "support/soak.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <gtest/gtest.h>
#include <windows.h>

bool soakFull()
{
    const char *v = getenv("VARNEL_SOAK");
    return v && strcmp(v, "full") == 0;
}

int soakSize(int suiteSize, int fullSize)
{
    long long size = soakFull() ? fullSize : suiteSize;
    const char *scale = getenv("VARNEL_SOAK_SCALE");
    if (scale && *scale) size = size * atoi(scale) / 100;
    return size < 1 ? 1 : (int)size;
}

void reportSoakItem(const char *item, long long tried, long long failures)
{
    if (failures == 0 && ::testing::Test::HasFailure()) failures = 1;
    printf("soak: %-34s tried %lld failures %lld\n", item, tried, failures);
    fflush(stdout);
    const char *path = getenv("VARNEL_SOAK_REPORT");
    if (!path || !*path) return;
    // Several test programs may append at once: one write per line.
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    char line[200];
    int n = snprintf(line, sizeof line, "%s\t%lld\t%lld\n", item, tried, failures);
    DWORD written;
    WriteFile(file, line, (DWORD)n, &written, NULL);
    CloseHandle(file);
}

SoakRandom::SoakRandom(unsigned salt)
{
    const char *v = getenv("VARNEL_SOAK_SEED");
    seed_ = v && *v ? (unsigned)strtoul(v, NULL, 0) : (unsigned)GetTickCount();
    state_ = seed_ ^ (salt * 2654435761u);
    if (!state_) state_ = 0x9E3779B9u;
}

unsigned SoakRandom::next()
{
    unsigned x = state_;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    state_ = x;
    return x;
}

unsigned SoakRandom::below(unsigned n) { return n ? next() % n : 0; }

int SoakRandom::between(int lo, int hi) { return lo + (int)below((unsigned)(hi - lo + 1)); }

bool SoakRandom::chance(unsigned percent) { return below(100) < percent; }
