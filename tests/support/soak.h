// Endurance runs: every soak test has a size for the test suite and a full
// size that scripts/soak asks for with VARNEL_SOAK=full, and each adds one
// line (item, count tried, failures) to the table scripts/soak prints.
#pragma once

// True when VARNEL_SOAK is "full".
bool soakFull();

// The suite's size, or the full size under scripts/soak; VARNEL_SOAK_SCALE
// (a percentage) scales either, for a quick look or a longer night.
int soakSize(int suiteSize, int fullSize);

// Prints "soak: item tried failures" and, when VARNEL_SOAK_REPORT names a
// file, appends "item<TAB>tried<TAB>failures" to it. A test that has already
// failed an assertion reports at least one failure, so the table never shows
// a clean line for a failed test.
void reportSoakItem(const char *item, long long tried, long long failures);

// A deterministic random stream (xorshift), seeded from VARNEL_SOAK_SEED when
// set, so a failing run can be repeated; seedUsed() says which seed ran.
class SoakRandom {
public:
    explicit SoakRandom(unsigned salt);
    unsigned next();
    // 0 .. n-1 (0 when n is 0).
    unsigned below(unsigned n);
    // lo .. hi inclusive.
    int between(int lo, int hi);
    bool chance(unsigned percent);
    unsigned seedUsed() const { return seed_; }

private:
    unsigned seed_;
    unsigned state_;
};
