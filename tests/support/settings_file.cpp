#include "support/settings_file.h"

#include <stdio.h>

#include <gtest/gtest.h>

#include "engine/settings.h"

NamedSetting fileValue(const char *name, int valueInFile)
{
    NamedSetting setting(name, valueInFile);
    setting.asFileValue = true;
    return setting;
}

// Only a position without a name goes by "positionN": the named ones go by
// their names.
static const SettingPosition *positionByName(const char *name)
{
    if (const SettingPosition *named = findSettingPosition(name)) return named;
    int number = 0;
    char rest = 0;
    if (sscanf(name, "position%d%c", &number, &rest) == 1 && number >= 1 && number <= settingsPositionCount &&
        !settingPositions[number - 1].name)
        return &settingPositions[number - 1];
    ADD_FAILURE() << "no setting is called \"" << name << "\"";
    return NULL;
}

int settingPosition(const char *name)
{
    const SettingPosition *p = positionByName(name);
    return p ? p->position : 0;
}

std::string settingsFileFor(std::initializer_list<NamedSetting> settings)
{
    int file[settingsPositionCount + 1];
    for (const SettingPosition &p : settingPositions) file[p.position] = settingFileValue(p, p.defaultValue);
    for (const NamedSetting &s : settings)
        if (const SettingPosition *p = positionByName(s.name))
            file[p->position] = s.asFileValue ? s.value : settingFileValue(*p, s.value);
    std::string text;
    for (int i = 1; i <= settingsPositionCount; i++) text += std::to_string(file[i]) + "\r\n";
    return text;
}
