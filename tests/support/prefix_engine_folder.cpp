#include "support/prefix_engine_folder.h"

#include <stdio.h>

#include <gtest/gtest.h>
#include <windows.h>

static const char *const engineFiles[] = {"vl.ini", "vldis.ini", "vlplug.ini", "vlexcl.ini", "vlprog.ini"};

static bool readWhole(const std::string &path, std::string *content)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return false;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) content->append(buffer, n);
    fclose(f);
    return true;
}

PrefixEngineFolder::PrefixEngineFolder()
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    folder_ = std::string(windows) + "\\varnels";
    CreateDirectoryA(folder_.c_str(), NULL);
    for (const char *name : engineFiles) {
        Saved s = {name, false, ""};
        s.existed = readWhole(path(name), &s.content);
        saved_.push_back(s);
        DeleteFileA(path(name).c_str());
    }
}

PrefixEngineFolder::~PrefixEngineFolder()
{
    for (const Saved &s : saved_) {
        DeleteFileA(path(s.name).c_str());
        if (s.existed) write(s.name, s.content);
    }
}

void PrefixEngineFolder::write(const std::string &name, const std::string &content) const
{
    FILE *f = fopen(path(name).c_str(), "wb");
    if (!f) {
        ADD_FAILURE() << "cannot write " << path(name);
        return;
    }
    fwrite(content.data(), 1, content.size(), f);
    fclose(f);
}
