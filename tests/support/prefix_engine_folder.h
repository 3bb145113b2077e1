// The prefix's own engine folder, %WINDIR%\varnels, for tests of varnel.dll
// as the system loads it (which reads its files from the real Windows
// directory). The files a test writes are put back as they were when it
// ends. Such tests are registered WINDIR, so only one uses the folder at once.
#pragma once

#include <string>
#include <vector>

class PrefixEngineFolder {
public:
    // Saves every marker and settings file of the folder and removes them,
    // so the test starts from an engine folder holding nothing.
    PrefixEngineFolder();
    // Puts the saved files back and removes what the test added.
    ~PrefixEngineFolder();
    // Writes a file of the folder ("vl.ini", "vldis.ini", ...).
    void write(const std::string &name, const std::string &content) const;
    std::string path(const std::string &name) const { return folder_ + "\\" + name; }

private:
    struct Saved {
        std::string name;
        bool existed;
        std::string content;
    };
    std::string folder_;
    std::vector<Saved> saved_;
};
