// Every shipped binary carries one version, the one in the file VERSION at
// the top of the sources: in its VERSIONINFO resource (what Explorer's
// properties and a setup program read) and, for the two console-minded
// tools, in what "vlload /version" and "vlconf --version" print.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include <windows.h>

#include "support/child_process.h"
#include "support/test_folder.h"

namespace {

const char *const shippedBinaries[] = {"varnel.dll",   "vlplug.dll",   "vlload.exe",   "vlconf.exe",
                                       "vlsettings.exe", "skingen.exe", "gallery.exe",
                                       "varnel64.dll", "vlplug64.dll", "vlload64.exe"};

// The string table the resources are written in: US English, Western code page.
const char stringTable[] = "\\StringFileInfo\\040904E4\\";

struct Version {
    unsigned major = 0, minor = 0, patch = 0;
};

bool parseVersion(const std::string &text, Version *v)
{
    char rest = 0;
    return sscanf(text.c_str(), "%u.%u.%u%c", &v->major, &v->minor, &v->patch, &rest) == 3;
}

// The first line of VERSION, without its line break.
std::string versionFileText()
{
    std::string text = fileContent(std::string(VARNEL_SOURCE_DIR) + "\\VERSION");
    size_t end = text.find_first_of("\r\n");
    return end == std::string::npos ? text : text.substr(0, end);
}

struct VersionResource {
    bool present = false;
    VS_FIXEDFILEINFO fixed = {};
    std::string fileVersion, productVersion, originalName, productName;
};

std::string stringValue(std::vector<char> &block, const char *name)
{
    char *value = NULL;
    UINT length = 0;
    std::string query = std::string(stringTable) + name;
    if (!VerQueryValueA(block.data(), query.c_str(), (void **)&value, &length) || !value) return "<none>";
    return std::string(value, length > 0 ? strnlen(value, length) : 0);
}

VersionResource readVersionResource(const std::string &path)
{
    VersionResource r;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return r;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return r;
    VS_FIXEDFILEINFO *fixed = NULL;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", (void **)&fixed, &length) || length < sizeof *fixed) return r;
    r.present = true;
    r.fixed = *fixed;
    r.fileVersion = stringValue(block, "FileVersion");
    r.productVersion = stringValue(block, "ProductVersion");
    r.originalName = stringValue(block, "OriginalFilename");
    r.productName = stringValue(block, "ProductName");
    return r;
}

bool endsWith(const std::string &text, const char *suffix)
{
    size_t n = strlen(suffix);
    return text.size() >= n && _stricmp(text.c_str() + text.size() - n, suffix) == 0;
}

std::string firstLine(const std::string &text)
{
    size_t end = text.find_first_of("\r\n");
    return end == std::string::npos ? text : text.substr(0, end);
}

} // namespace

TEST(Version, TheVersionFileHoldsThreeNumbersAndTheBuildUsedIt)
{
    Version v;
    std::string text = versionFileText();
    EXPECT_TRUE(parseVersion(text, &v)) << "VERSION holds \"" << text << "\"";
    EXPECT_EQ(text, VARNEL_VERSION) << "the build was configured from another VERSION: configure again";
}

TEST(Version, EveryShippedBinaryCarriesTheVersionInItsResource)
{
    Version v;
    ASSERT_TRUE(parseVersion(VARNEL_VERSION, &v));
    const DWORD expectedMs = MAKELONG(v.minor, v.major), expectedLs = MAKELONG(0, v.patch);
    for (const char *name : shippedBinaries) {
        SCOPED_TRACE(name);
        VersionResource r = readVersionResource(buildFile(name));
        ASSERT_TRUE(r.present) << "no VERSIONINFO resource in " << name;
        EXPECT_EQ(VS_FFI_SIGNATURE, r.fixed.dwSignature);
        EXPECT_EQ(expectedMs, r.fixed.dwFileVersionMS);
        EXPECT_EQ(expectedLs, r.fixed.dwFileVersionLS);
        EXPECT_EQ(expectedMs, r.fixed.dwProductVersionMS);
        EXPECT_EQ(expectedLs, r.fixed.dwProductVersionLS);
        EXPECT_EQ(endsWith(name, ".dll") ? (DWORD)VFT_DLL : (DWORD)VFT_APP, r.fixed.dwFileType);
        EXPECT_EQ(VARNEL_VERSION, r.fileVersion);
        EXPECT_EQ(VARNEL_VERSION, r.productVersion);
        EXPECT_EQ(name, r.originalName);
        EXPECT_EQ("varnel", r.productName);
    }
}

// Every shipped program runs as whoever starts it: an asInvoker manifest,
// so that on Vista and later a write into the Windows directory is refused
// ("needs administrator") instead of landing in the user's VirtualStore,
// where no engine reads it. Libraries carry none.
TEST(Version, EveryShippedProgramRunsAsItsInvoker)
{
    for (const char *name : shippedBinaries) {
        SCOPED_TRACE(name);
        HMODULE image = LoadLibraryExA(buildFile(name).c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(image != NULL);
        HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
        std::string manifest;
        if (found) {
            const char *data = (const char *)LockResource(LoadResource(image, found));
            if (data) manifest.assign(data, SizeofResource(image, found));
        }
        FreeLibrary(image);
        if (endsWith(name, ".dll")) {
            EXPECT_TRUE(manifest.empty()) << "a library's manifest would be its host's business";
            continue;
        }
        EXPECT_NE(std::string::npos, manifest.find("requestedExecutionLevel level=\"asInvoker\"")) << manifest;
        EXPECT_EQ(std::string::npos, manifest.find("dependentAssembly")) << "no other look for the tools";
    }
}

TEST(Version, TheToolsPrintTheSameVersion)
{
    TestFolder folder("tool_output");
    struct Case {
        const char *program, *option;
    } cases[] = {
        {"vlload.exe", "/version"}, {"vlload.exe", "-version"}, {"vlconf.exe", "--version"}, {"vlconf.exe", "version"},
    };
    for (const Case &c : cases) {
        std::string name(c.program, strcspn(c.program, "."));
        SCOPED_TRACE(std::string(c.program) + " " + c.option);
        ChildResult run = runChild(quoted(buildFile(c.program)) + " " + c.option, folder.file("\\out.txt"));
        EXPECT_EQ(0u, run.exitCode);
        EXPECT_EQ(name + " " + VARNEL_VERSION, firstLine(run.output));
    }
}

TEST(Version, TheLoaderListsItsVersionOption)
{
    TestFolder folder("loader_usage");
    ChildResult run = runChild(quoted(buildFile("vlload.exe")) + " /?", folder.file("\\out.txt"));
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_NE(std::string::npos, run.output.find("vlload /version")) << run.output;
}
