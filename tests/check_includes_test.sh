#!/usr/bin/env bash
# scripts/check-includes on this checkout, and on copies of it with one
# forbidden include planted each: the checkout passes, every planted one is
# reported (by file and line, or by the loop it closes) and fails the check,
# and an include a rule allows passes.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
CHECK="$ROOT/scripts/check-includes"
WORK="$(mktemp -d /tmp/varnel-includes.XXXXXX)"
trap 'rm -rf "$WORK"' EXIT
failures=0

fail() {
    echo "check_includes_test: FAIL: $*"
    failures=$((failures + 1))
}

if ! "$CHECK" "$ROOT" >"$WORK/out" 2>&1; then
    fail "the checkout itself breaks a rule:"
    cat "$WORK/out"
fi

# plant FILE LINE EXPECTED: a copy with LINE added to FILE; EXPECTED 1 when
# the check must fail and name FILE, loop when it must fail and name the
# loop through FILE's module, 0 when it must pass.
plant() {
    local file="$1" line="$2" expected="$3" copy="$WORK/tree"
    rm -rf "$copy"
    mkdir -p "$copy"
    cp -r "$ROOT/engine" "$ROOT/caption" "$ROOT/hooks" "$ROOT/subclass" "$copy/"
    printf '%s\n' "$line" >>"$copy/$file"
    local status=0
    "$CHECK" "$copy" >"$WORK/out" 2>&1 || status=$?
    if [ "$expected" = loop ]; then
        local module
        module="$(basename "${file%.*}")"
        [ "$status" = 1 ] || fail "$file with '$line' passed the check"
        grep -q "come back to where they started:.*\b$module\b" "$WORK/out" ||
            fail "the loop through $module is not named: $(cat "$WORK/out")"
    elif [ "$expected" = 1 ]; then
        [ "$status" = 1 ] || fail "$file with '$line' passed the check"
        grep -q "^$file:[0-9]*: " "$WORK/out" || fail "$file with '$line' is not named: $(cat "$WORK/out")"
    else
        [ "$status" = 0 ] || fail "$file with '$line' failed the check: $(cat "$WORK/out")"
    fi
}

plant engine/live_settings.cpp '#include "caption/strip_cache.h"' 1
plant engine/settings_snapshot.h '#  include "../caption/strip_cache.h"' 1
plant engine/engine_lifecycle.cpp '#include "caption/strip_cache.h"' 1
plant engine/dll_main.cpp '#include "caption/caption_painters.h"' 1
plant engine/window_table.cpp '#include "hooks/hooks.h"' 1
plant caption/strip_cache.cpp '#include "subclass/window_shade.h"' 1
plant subclass/window_shade.cpp '#include "hooks/hooks.h"' 1
plant engine/live_settings.cpp '#include "engine/engine_lifecycle.h"' loop
plant engine/shared_objects.cpp '#include "engine/settings_snapshot.h"' loop
plant engine/engine_lifecycle.cpp '#include "subclass/window_shade.h"' 0
plant caption/strip_cache.cpp '#include "engine/engine_lock.h"' 0
plant hooks/backgrounds.cpp '#include "caption/strip_cache.h"' 0

if [ "$failures" -gt 0 ]; then
    echo "check_includes_test: FAIL ($failures)"
    exit 1
fi
echo "check_includes_test: PASS"
