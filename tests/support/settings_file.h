// vl.ini for tests, written from setting names (the engine's own table,
// engine/settings.h) instead of line numbers.
#pragma once

#include <initializer_list>
#include <string>

// One setting by name: a field value (0 or 1 for a flag, 0..255 for a
// byte), written as the file value that gives the field that value; or,
// made by fileValue, a number that stands in the file as it is, for files
// that say what no field value says (a flag written as 7, a byte as 300).
struct NamedSetting {
    NamedSetting(const char *name, int fieldValue) : name(name), value(fieldValue) {}
    const char *name;
    int value;
    bool asFileValue = false;
};
NamedSetting fileValue(const char *name, int valueInFile);

// A vl.ini of 40 lines: the defaults of the engine's table but for the
// named settings. The one position the table gives no name is
// "position17", as vlconf calls it; an unknown name fails the test.
std::string settingsFileFor(std::initializer_list<NamedSetting> settings);

// Eight bands running to green when active and to magenta when inactive,
// colours no system caption has, so that a test reading the screen tells
// the engine's strip from the system's caption at its last band; more
// settings after them.
std::string markedGradientSettingsFile(std::initializer_list<NamedSetting> more = {});

// The position (1..40) of a setting, by the same names; 0 for none.
int settingPosition(const char *name);
