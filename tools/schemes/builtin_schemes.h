// The schemes that come with varnel: compiled in, always there, never
// deleted or overwritten by a user's own.
#pragma once

#include <string>

#include "tools/schemes/scheme_file.h"

struct BuiltinScheme {
    const char *name;
    const char *description;
    const char *settings;  // "name = value" lines, as in a scheme file's [settings]
    // Draws the scheme's own bitmaps into it; NULL when it has none.
    void (*drawBitmaps)(Scheme *scheme);
};

enum { builtinSchemeCount = 8 };
extern const BuiltinScheme builtinSchemes[builtinSchemeCount];

// The built-in of that name (ignoring case), or NULL.
const BuiltinScheme *findBuiltinScheme(const std::string &name);

// The whole scheme, bitmaps drawn around the colours of this desktop. False
// (with the reason) only when the compiled-in data does not parse, which the
// tests rule out.
bool builtinScheme(const BuiltinScheme &builtin, Scheme *scheme, std::string *error);
