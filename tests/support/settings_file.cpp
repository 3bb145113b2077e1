#include "support/settings_file.h"

#include <stdio.h>

#include <vector>

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

template <typename Settings> static std::string settingsFileOf(const Settings &settings)
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

std::string settingsFileFor(std::initializer_list<NamedSetting> settings) { return settingsFileOf(settings); }

std::string markedGradientSettingsFile(std::initializer_list<NamedSetting> more)
{
    std::vector<NamedSetting> settings = {{"gradientSteps", 8},        {"solidInactiveCaption", 0},
                                          {"activeGradientEndR", 0},   {"activeGradientEndG", 255},
                                          {"activeGradientEndB", 0},   {"inactiveGradientEndR", 255},
                                          {"inactiveGradientEndG", 0}, {"inactiveGradientEndB", 255}};
    settings.insert(settings.end(), more.begin(), more.end());
    return settingsFileOf(settings);
}
