// A stand-in Windows directory for one test: a fresh folder with a "varnels"
// subfolder, where a test writes vl.ini, markers and bitmaps, and which it
// hands to the engine's attach as the Windows directory.
#pragma once

#include <functional>
#include <string>

#include <windows.h>

class TestFolder {
public:
    // name: unique among the tests of one executable.
    explicit TestFolder(const std::string &name);
    virtual ~TestFolder();
    const char *path() const { return root_.c_str(); }
    // Writes content to path() + relative ("\\varnels\\vl.ini" and the like).
    void write(const std::string &relative, const std::string &content) const;
    void remove(const std::string &relative) const;
    std::string file(const std::string &relative) const { return root_ + relative; }
    // A copy of a built file (a DLL) into the folder.
    void copyIn(const std::string &from, const std::string &relative) const;

private:
    std::string root_;
};

// A TestFolder that is the process's current directory while it lives (the
// engine looks there before the Windows directory); the previous one comes
// back before the folder is deleted.
class CurrentTestFolder : public TestFolder {
public:
    explicit CurrentTestFolder(const std::string &name);
    ~CurrentTestFolder();

private:
    char previous_[MAX_PATH];
};

// A file's whole content, read even while another process still writes it;
// false (and *content untouched) when the file cannot be opened.
bool readFileContent(const std::string &path, std::string *content);
// The same, "" for a file that cannot be opened.
std::string fileContent(const std::string &path);
// Writes content as the file's whole content; false when it cannot.
bool writeFileContent(const std::string &path, const std::string &content);

// Path of a file in the build directory, as the process sees it.
std::string buildFile(const std::string &relative);
// Path of a shipped binary (the engine, the plug-in, the tools), as the
// process sees it: the 64-bit tree's tests find theirs beside the 32-bit ones.
std::string shippedFile(const std::string &name);

// The engine and the plug-in of the test's own bitness: a process loads only
// libraries of its own.
#ifdef _WIN64
inline constexpr char engineLibraryName[] = "varnel64.dll";
inline constexpr char pluginLibraryName[] = "vlplug64.dll";
#else
inline constexpr char engineLibraryName[] = "varnel.dll";
inline constexpr char pluginLibraryName[] = "vlplug.dll";
#endif

// Writes a 24-bit bitmap file of w x h pixels of one colour.
void writeSolidBitmap(const std::string &path, int w, int h, COLORREF colour);
// Writes a 24-bit bitmap file whose pixel (x, y), top row first, is colour(x, y).
void writePatternBitmap(const std::string &path, int w, int h, const std::function<COLORREF(int, int)> &colour);

// Deletes a file tree.
void removeTree(const std::string &path);
