#include "support/prefix_engine_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "support/test_folder.h"

static const char *const engineFiles[] = {"vl.ini", "vldis.ini", "vlplug.ini", "vlexcl.ini", "vlprog.ini"};

PrefixEngineFolder::PrefixEngineFolder()
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    folder_ = std::string(windows) + "\\varnels";
    CreateDirectoryA(folder_.c_str(), NULL);
    for (const char *name : engineFiles) {
        Saved s = {name, false, ""};
        s.existed = readFileContent(path(name), &s.content);
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
    if (!writeFileContent(path(name), content)) ADD_FAILURE() << "cannot write " << path(name);
}
