// Every shipped binary against what Windows 95 and NT 4.0 provide: their
// import tables (by name, by ordinal, delay-loaded) are read straight from
// the files and held against tests/data/lacking_on_old_windows.txt, since an
// import the old system does not export stops the program or library from
// loading at all, and nothing short of such a system would show it. Also
// what else those systems refuse: a TLS directory in a DLL (Windows 95's
// LoadLibrary), OS and subsystem versions above 4.0, a machine other than
// i386. The 64-bit half (PE32+) is held against the same list, with 5.2 (XP
// x64) as its oldest version. Copies with a fault planted prove the check
// finds each kind.
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <windows.h>

#include "support/test_folder.h"

namespace {

const char *const shippedBinaries[] = {"varnel.dll",   "vlplug.dll",   "vlload.exe",  "vlconf.exe",
                                       "vlsettings.exe", "skingen.exe", "gallery.exe",
                                       // The 64-bit half: the same sources and look-ups, so the same list.
                                       "varnel64.dll", "vlplug64.dll", "vlload64.exe"};

// --- The parts of the PE format the check reads ---------------------------

const uint16_t dosSignature = 0x5A4D;      // "MZ"
const uint32_t ntSignature = 0x00004550;   // "PE\0\0"
const size_t dosNewHeaderField = 0x3C;     // e_lfanew
const size_t dosHeaderSize = 0x40;
const uint16_t machineI386 = 0x014C;
const uint16_t pe32Magic = 0x010B;
const uint16_t machineAmd64 = 0x8664;
const uint16_t pe32PlusMagic = 0x020B;
const uint16_t fileIsDll = 0x2000;
const size_t fileHeaderSize = 20;
const size_t sectionHeaderSize = 40;
const size_t importDescriptorSize = 20;
const size_t delayDescriptorSize = 32;
const uint32_t importByOrdinal = 0x80000000;
const uint32_t delayAttributesRva = 1;   // dlattrRva: the descriptor holds RVAs, not addresses

// Offsets in the optional header (PE32).
const size_t optMagic = 0;
const size_t optImageBase = 28;
const size_t optOsMajor = 40;
const size_t optOsMinor = 42;
const size_t optSubsystemMajor = 48;
const size_t optSubsystemMinor = 50;
const size_t optSizeOfHeaders = 60;
const size_t optDirectoryCount = 92;
const size_t optDirectories = 96;
// PE32+ (64-bit) moves what follows its 8-byte image base and stack sizes.
const size_t optPlusDirectoryCount = 108;
const size_t optPlusDirectories = 112;
const uint32_t importByOrdinalHigh = 0x80000000;  // bit 63 of a 64-bit thunk

enum { importDirectory = 1, tlsDirectory = 9, delayImportDirectory = 13 };

// Windows 95 and NT 4.0 both report 4.0; they refuse anything above. The
// first 64-bit Windows (XP x64, Server 2003 SP1) is 5.2.
const unsigned oldestVersion = 0x0400;
const unsigned oldest64BitVersion = 0x0502;

// Corrupt tables must end the walk, not run through the whole file.
const size_t maxDescriptors = 4096;
const size_t maxImports = 65536;
const size_t maxNameLength = 1024;

struct Import {
    std::string dll;
    std::string name;       // empty for an import by ordinal
    uint16_t ordinal = 0;
    bool byOrdinal = false;
    bool delayed = false;
    size_t dllNameOffset = 0;   // file offsets, for planting faults in copies
    size_t nameOffset = 0;
    size_t thunkOffset = 0;
    uint32_t dllNameRva = 0;
    uint32_t tableRva = 0;      // the name table this import is in
    size_t descriptorOffset = 0;
    uint32_t hintNameRva = 0;
};

struct PeImage {
    uint16_t machine = 0;
    uint16_t magic = 0;
    bool plus = false;               // PE32+: a 64-bit image, 8-byte thunks
    bool isDll = false;
    unsigned osVersion = 0;          // major << 8 | minor
    unsigned subsystemVersion = 0;
    uint32_t imageBase = 0;
    uint32_t tlsRva = 0;
    uint32_t tlsSize = 0;
    size_t optionalHeader = 0;       // file offset
    size_t directoryCount = 0;
    std::vector<Import> imports;

    size_t directoryOffset(int index) const
    {
        return optionalHeader + (plus ? optPlusDirectories : optDirectories) + 8 * (size_t)index;
    }
};

// Bounds-checked reads of a file held in memory; every failure says where.
class PeReader {
public:
    explicit PeReader(const std::vector<uint8_t> &file) : file_(file) {}

    bool read(PeImage *image, std::string *error)
    {
        if (!readHeaders(image) || !readImports(image) || !readDelayImports(image)) {
            *error = error_;
            return false;
        }
        return true;
    }

private:
    struct Section {
        uint32_t rva, virtualSize, rawSize, rawOffset;
    };

    bool fail(const std::string &what)
    {
        if (error_.empty()) error_ = what;
        return false;
    }

    bool fits(size_t offset, size_t size) const { return offset <= file_.size() && size <= file_.size() - offset; }

    bool u16(size_t offset, uint16_t *v)
    {
        if (!fits(offset, 2)) return fail("truncated: 2 bytes at file offset " + std::to_string(offset));
        *v = (uint16_t)(file_[offset] | file_[offset + 1] << 8);
        return true;
    }

    bool u32(size_t offset, uint32_t *v)
    {
        if (!fits(offset, 4)) return fail("truncated: 4 bytes at file offset " + std::to_string(offset));
        *v = (uint32_t)file_[offset] | (uint32_t)file_[offset + 1] << 8 | (uint32_t)file_[offset + 2] << 16 |
             (uint32_t)file_[offset + 3] << 24;
        return true;
    }

    // The file offset of size bytes at rva: in the headers, which the loader
    // maps as they are, or in one section's raw data.
    bool offsetOf(uint32_t rva, size_t size, size_t *offset, const char *what)
    {
        if (rva < sizeOfHeaders_ && size <= sizeOfHeaders_ - rva && fits(rva, size)) {
            *offset = rva;
            return true;
        }
        for (const Section &s : sections_) {
            uint32_t extent = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
            if (rva < s.rva || rva - s.rva >= extent) continue;
            uint32_t into = rva - s.rva;
            if (into > s.rawSize || size > s.rawSize - into || !fits((size_t)s.rawOffset + into, size))
                return fail(std::string(what) + " at RVA " + std::to_string(rva) + " lies outside the file's data");
            *offset = (size_t)s.rawOffset + into;
            return true;
        }
        return fail(std::string(what) + " at RVA " + std::to_string(rva) + " is in no section");
    }

    bool string(uint32_t rva, std::string *s, size_t *offset, const char *what)
    {
        if (!offsetOf(rva, 1, offset, what)) return false;
        s->clear();
        for (size_t at = *offset; at < file_.size(); ++at) {
            if (file_[at] == 0) return true;
            if (s->size() == maxNameLength) break;
            s->push_back((char)file_[at]);
        }
        return fail(std::string(what) + " at RVA " + std::to_string(rva) + " has no end");
    }

    bool readHeaders(PeImage *image)
    {
        uint16_t mz;
        uint32_t lfanew, pe;
        if (!u16(0, &mz) || !u32(dosNewHeaderField, &lfanew)) return false;
        if (mz != dosSignature) return fail("no MZ signature");
        if (lfanew < dosHeaderSize) return fail("the PE header offset points into the DOS header");
        if (!u32(lfanew, &pe)) return false;
        if (pe != ntSignature) return fail("no PE signature at the offset the DOS header gives");
        size_t fileHeader = (size_t)lfanew + 4;
        uint16_t sectionCount, optionalSize, characteristics;
        if (!u16(fileHeader, &image->machine) || !u16(fileHeader + 2, &sectionCount) ||
            !u16(fileHeader + 16, &optionalSize) || !u16(fileHeader + 18, &characteristics))
            return false;
        image->isDll = (characteristics & fileIsDll) != 0;
        size_t opt = fileHeader + fileHeaderSize;
        image->optionalHeader = opt;
        if (!u16(opt + optMagic, &image->magic)) return false;
        if (image->magic != pe32Magic && image->magic != pe32PlusMagic) return fail("not a PE32 or PE32+ image");
        image->plus = image->magic == pe32PlusMagic;
        const size_t directories = image->plus ? optPlusDirectories : optDirectories;
        if (optionalSize < directories) return fail("optional header too small for its own fields");
        uint16_t osMajor, osMinor, subMajor, subMinor;
        uint32_t directoryCount;
        // A PE32+ image base is 8 bytes from offset 24; its delay tables hold
        // RVAs, so only a PE32 base is ever subtracted.
        if (!u32(opt + (image->plus ? 24 : optImageBase), &image->imageBase) || !u16(opt + optOsMajor, &osMajor) ||
            !u16(opt + optOsMinor, &osMinor) || !u16(opt + optSubsystemMajor, &subMajor) ||
            !u16(opt + optSubsystemMinor, &subMinor) || !u32(opt + optSizeOfHeaders, &sizeOfHeaders_) ||
            !u32(opt + (image->plus ? optPlusDirectoryCount : optDirectoryCount), &directoryCount))
            return false;
        image->osVersion = (unsigned)osMajor << 8 | osMinor;
        image->subsystemVersion = (unsigned)subMajor << 8 | subMinor;
        if (directoryCount > (optionalSize - directories) / 8)
            return fail("more data directories than the optional header holds");
        image->directoryCount = directoryCount;
        for (uint16_t i = 0; i < sectionCount; ++i) {
            size_t at = opt + optionalSize + (size_t)i * sectionHeaderSize;
            Section s;
            if (!u32(at + 8, &s.virtualSize) || !u32(at + 12, &s.rva) || !u32(at + 16, &s.rawSize) ||
                !u32(at + 20, &s.rawOffset))
                return false;
            sections_.push_back(s);
        }
        if (tlsDirectory < (int)directoryCount) {
            if (!u32(image->directoryOffset(tlsDirectory), &image->tlsRva) ||
                !u32(image->directoryOffset(tlsDirectory) + 4, &image->tlsSize))
                return false;
        }
        return true;
    }

    bool directory(const PeImage &image, int index, uint32_t *rva)
    {
        *rva = 0;
        if (index >= (int)image.directoryCount) return true;
        return u32(image.directoryOffset(index), rva);
    }

    // A zero-terminated array of thunks, each an ordinal or the RVA of a hint
    // and a name. subtract turns addresses into RVAs (old delay tables).
    bool readThunks(uint32_t rva, uint32_t subtract, const std::string &dll, uint32_t dllNameRva,
                    size_t dllNameOffset, size_t descriptorOffset, bool delayed, PeImage *image)
    {
        const size_t thunkSize = image->plus ? 8 : 4;
        for (size_t i = 0;; ++i) {
            if (image->imports.size() == maxImports) return fail("the name table of " + dll + " has no end");
            size_t at;
            uint32_t thunk, high = 0;
            if (!offsetOf(rva + (uint32_t)(thunkSize * i), thunkSize, &at, "an import name table") || !u32(at, &thunk))
                return false;
            if (image->plus && !u32(at + 4, &high)) return false;
            if (thunk == 0 && high == 0) return true;
            Import imp;
            imp.dll = dll;
            imp.delayed = delayed;
            imp.dllNameOffset = dllNameOffset;
            imp.dllNameRva = dllNameRva;
            imp.tableRva = rva;
            imp.descriptorOffset = descriptorOffset;
            imp.thunkOffset = at;
            if (image->plus ? (high & importByOrdinalHigh) != 0 : (thunk & importByOrdinal) != 0) {
                imp.byOrdinal = true;
                imp.ordinal = (uint16_t)(thunk & 0xFFFF);
            } else {
                imp.hintNameRva = thunk - subtract;
                if (!string(imp.hintNameRva + 2, &imp.name, &imp.nameOffset, "an imported name")) return false;
            }
            image->imports.push_back(imp);
        }
    }

    bool readImports(PeImage *image)
    {
        uint32_t table;
        if (!directory(*image, importDirectory, &table)) return false;
        if (table == 0) return true;
        for (size_t i = 0;; ++i) {
            if (i == maxDescriptors) return fail("the import table has no end");
            size_t at;
            uint32_t nameTable, nameRva, addressTable;
            if (!offsetOf(table + (uint32_t)(i * importDescriptorSize), importDescriptorSize, &at, "the import table") ||
                !u32(at, &nameTable) || !u32(at + 12, &nameRva) || !u32(at + 16, &addressTable))
                return false;
            // The loader stops at the first descriptor without a name or an
            // address table; so does the check.
            if (nameRva == 0 || addressTable == 0) return true;
            std::string dll;
            size_t dllAt;
            if (!string(nameRva, &dll, &dllAt, "an imported library's name")) return false;
            if (!readThunks(nameTable ? nameTable : addressTable, 0, dll, nameRva, dllAt, at, false, image))
                return false;
        }
    }

    bool readDelayImports(PeImage *image)
    {
        uint32_t table;
        if (!directory(*image, delayImportDirectory, &table)) return false;
        if (table == 0) return true;
        for (size_t i = 0;; ++i) {
            if (i == maxDescriptors) return fail("the delay import table has no end");
            size_t at;
            uint32_t attributes, nameRva, nameTable;
            if (!offsetOf(table + (uint32_t)(i * delayDescriptorSize), delayDescriptorSize, &at,
                          "the delay import table") ||
                !u32(at, &attributes) || !u32(at + 4, &nameRva) || !u32(at + 16, &nameTable))
                return false;
            if (nameRva == 0) return true;
            uint32_t subtract = attributes & delayAttributesRva ? 0 : image->imageBase;
            std::string dll;
            size_t dllAt;
            if (!string(nameRva - subtract, &dll, &dllAt, "a delay-loaded library's name")) return false;
            if (!readThunks(nameTable - subtract, subtract, dll, nameRva - subtract, dllAt, at, true, image))
                return false;
        }
    }

    const std::vector<uint8_t> &file_;
    std::vector<Section> sections_;
    uint32_t sizeOfHeaders_ = 0;
    std::string error_;
};

bool readPeImage(const std::vector<uint8_t> &file, PeImage *image, std::string *error)
{
    *image = PeImage();
    return PeReader(file).read(image, error);
}

bool readWholeFile(const std::string &path, std::vector<uint8_t> *bytes)
{
    bytes->clear();
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return false;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes->insert(bytes->end(), buffer, buffer + n);
    fclose(f);
    return true;
}

bool writeWholeFile(const std::string &path, const std::vector<uint8_t> &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

// --- The list of what the old systems lack --------------------------------

std::string lowered(std::string s)
{
    for (char &c : s) c = (char)tolower((unsigned char)c);
    return s;
}

struct OldWindowsList {
    std::map<std::string, std::string> presentDlls, missingDlls;   // lowered DLL -> note
    // lowered DLL -> function -> note
    std::map<std::string, std::map<std::string, std::string>> lacking, stubs, tolerated;
    std::set<std::string> msvcrt;

    const std::string *find(const std::map<std::string, std::map<std::string, std::string>> &kind,
                            const std::string &dll, const std::string &function) const
    {
        auto d = kind.find(lowered(dll));
        if (d == kind.end()) return nullptr;
        auto f = d->second.find(function);
        return f == d->second.end() ? nullptr : &f->second;
    }
};

bool readOldWindowsList(const std::string &path, OldWindowsList *list, std::string *error)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) {
        *error = "cannot open " + path;
        return false;
    }
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    fclose(f);

    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string kind;
        if (!(words >> kind) || kind[0] == '#') continue;
        std::string where = path + ":" + std::to_string(number) + ": ";
        auto rest = [&words]() {
            std::string note;
            std::getline(words, note);
            size_t start = note.find_first_not_of(" \t");
            return start == std::string::npos ? std::string() : note.substr(start);
        };
        if (kind == "msvcrt") {
            std::string name;
            bool any = false;
            while (words >> name) {
                list->msvcrt.insert(name);
                any = true;
            }
            if (!any) {
                *error = where + "an msvcrt line without names";
                return false;
            }
        } else if (kind == "present" || kind == "missing") {
            std::string dll;
            if (!(words >> dll)) {
                *error = where + "no library named";
                return false;
            }
            (kind == "present" ? list->presentDlls : list->missingDlls)[lowered(dll)] = rest();
        } else if (kind == "lacking" || kind == "stub" || kind == "tolerated") {
            std::string dll, function;
            if (!(words >> dll >> function)) {
                *error = where + "needs a library and a function";
                return false;
            }
            auto &into = kind == "lacking" ? list->lacking : kind == "stub" ? list->stubs : list->tolerated;
            std::string note = rest();
            if (note.empty()) {
                *error = where + "says nothing of when " + function + " appeared or why";
                return false;
            }
            into[lowered(dll)][function] = note;
        } else {
            *error = where + "unknown kind \"" + kind + "\"";
            return false;
        }
    }
    return true;
}

// --- The check ------------------------------------------------------------

struct Finding {
    std::string dll;        // empty for the image as a whole
    std::string function;   // a name, "#ordinal", or empty
    std::string reason;
};

std::string versionText(unsigned v) { return std::to_string(v >> 8) + "." + std::to_string(v & 0xFF); }

std::string describe(const std::string &binary, const Finding &f)
{
    std::string where = binary;
    if (!f.dll.empty()) where += ": " + f.dll;
    if (!f.function.empty()) where += "!" + f.function;
    return where + ": " + f.reason;
}

std::vector<Finding> checkImage(const PeImage &image, const OldWindowsList &list)
{
    std::vector<Finding> found;
    // A 64-bit image runs from XP x64 on; Windows 95's refusal of TLS in a DLL
    // does not concern it.
    const unsigned oldest = image.plus ? oldest64BitVersion : oldestVersion;
    const std::string oldestText = versionText(oldest);
    if (image.machine != (image.plus ? machineAmd64 : machineI386))
        found.push_back({"", "", image.plus ? "machine is not x86-64" : "machine is not i386"});
    if (image.osVersion > oldest)
        found.push_back({"", "", "OS version " + versionText(image.osVersion) + " is above " + oldestText});
    if (image.subsystemVersion > oldest)
        found.push_back({"", "", "subsystem version " + versionText(image.subsystemVersion) + " is above " + oldestText});
    if (!image.plus && image.isDll && (image.tlsRva != 0 || image.tlsSize != 0))
        found.push_back({"", "",
                         "a DLL with a TLS directory (data directory 9): Windows 95's LoadLibrary refuses it "
                         "(KB118816)"});

    std::set<std::string> dllsReported;
    for (const Import &imp : image.imports) {
        std::string dll = lowered(imp.dll);
        std::string function = imp.byOrdinal ? "#" + std::to_string(imp.ordinal) : imp.name;
        std::string how = imp.delayed ? " (delay-loaded)" : "";
        auto missing = list.missingDlls.find(dll);
        if (missing != list.missingDlls.end()) {
            found.push_back({imp.dll, function, "library missing on Windows 95 or NT 4.0: " + missing->second + how});
            continue;
        }
        if (!list.presentDlls.count(dll)) {
            if (dllsReported.insert(dll).second)
                found.push_back({imp.dll, "",
                                 "library not known to exist on Windows 95 and NT 4.0; if it does, add a "
                                 "\"present\" line with the source to the list" + how});
            continue;
        }
        if (imp.byOrdinal) {
            found.push_back({imp.dll, function,
                             "imported by ordinal: ordinals are not kept between versions of a system library; "
                             "import by name" + how});
            continue;
        }
        if (const std::string *note = list.find(list.lacking, imp.dll, imp.name)) {
            found.push_back({imp.dll, function, "not on Windows 95 or NT 4.0: " + *note + how});
            continue;
        }
        if (const std::string *note = list.find(list.stubs, imp.dll, imp.name)) {
            if (!list.find(list.tolerated, imp.dll, imp.name))
                found.push_back({imp.dll, function, "a stub that fails on Windows 95/98/ME: " + *note + how});
            continue;
        }
        // The first 64-bit Windows came with a later msvcrt (XP's), which has
        // what MinGW's 64-bit runtime imports (__iob_func and its data):
        // the Visual C++ 4.2 set concerns 32-bit images only.
        if (dll == "msvcrt.dll" && !image.plus && !list.msvcrt.count(imp.name))
            found.push_back({imp.dll, function,
                             "not among the msvcrt functions allowed (those of the first runtime, Visual C++ 4.2 "
                             "and NT 4.0). Look it up in mingw-w64's mingw-w64-crt/lib-common/msvcrt.def.in: if it "
                             "is in the Visual C++ 4.2 list, before the first \"These symbols were added in\", add "
                             "it to an msvcrt line of the list; otherwise the old runtime lacks it" + how});
    }
    return found;
}

// The list, read once; NULL (and why) when it cannot be read.
const OldWindowsList *oldWindowsList(std::string *error)
{
    static OldWindowsList list;
    static std::string readError;
    static bool read = readOldWindowsList(VARNEL_OLD_WINDOWS_LIST, &list, &readError);
    *error = readError;
    return read ? &list : nullptr;
}

// Reads and checks a file; false (with the reason) when it cannot be read.
bool checkFile(const std::string &path, const OldWindowsList &list, PeImage *image, std::vector<Finding> *found,
               std::string *error)
{
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, &bytes)) {
        *error = "cannot read " + path;
        return false;
    }
    if (!readPeImage(bytes, image, error)) return false;
    *found = checkImage(*image, list);
    return true;
}

std::string report(const std::string &binary, const std::vector<Finding> &found)
{
    std::string text;
    for (const Finding &f : found) text += "  " + describe(binary, f) + "\n";
    return text;
}

bool reports(const std::vector<Finding> &found, const std::string &dll, const std::string &function,
             const std::string &reasonPart)
{
    for (const Finding &f : found)
        if (lowered(f.dll) == lowered(dll) && f.function == function && f.reason.find(reasonPart) != std::string::npos)
            return true;
    return false;
}

bool reportsImage(const std::vector<Finding> &found, const std::string &reasonPart)
{
    for (const Finding &f : found)
        if (f.dll.empty() && f.reason.find(reasonPart) != std::string::npos) return true;
    return false;
}

// --- The shipped binaries -------------------------------------------------

class ShippedBinary : public ::testing::TestWithParam<const char *> {};

TEST_P(ShippedBinary, NeedsNothingWindows95OrNt4Lacks)
{
    std::string name = GetParam();
    std::string error;
    const OldWindowsList *list = oldWindowsList(&error);
    ASSERT_TRUE(list) << error;
    PeImage image;
    std::vector<Finding> found;
    ASSERT_TRUE(checkFile(buildFile(name), *list, &image, &found, &error)) << name << ": " << error;
    // A reader that found no KERNEL32 imports read nothing at all.
    bool kernel32 = false;
    for (const Import &imp : image.imports) kernel32 |= lowered(imp.dll) == "kernel32.dll";
    EXPECT_TRUE(kernel32) << name << ": no KERNEL32 import read";
    EXPECT_TRUE(found.empty()) << name << " needs what Windows 95 or NT 4.0 lacks (" << found.size()
                               << "):\n" << report(name, found);
}

INSTANTIATE_TEST_SUITE_P(, ShippedBinary, ::testing::ValuesIn(shippedBinaries),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             std::string n = info.param;
                             for (char &c : n)
                                 if (!isalnum((unsigned char)c)) c = '_';
                             return n;
                         });

TEST(OldWindowsList, NamesWhatTheOldSystemsAreKnownToLack)
{
    std::string error;
    ASSERT_TRUE(oldWindowsList(&error)) << error;
    const OldWindowsList &list = *oldWindowsList(&error);
    const char *const lackingFunctions[][2] = {
        {"KERNEL32.dll", "GetModuleHandleExA"},  {"KERNEL32.dll", "GetModuleHandleExW"},
        {"KERNEL32.dll", "AttachConsole"},       {"KERNEL32.dll", "GetTickCount64"},
        {"KERNEL32.dll", "AddVectoredExceptionHandler"}, {"KERNEL32.dll", "RemoveVectoredExceptionHandler"},
        {"KERNEL32.dll", "TryEnterCriticalSection"}, {"KERNEL32.dll", "IsDebuggerPresent"},
        {"KERNEL32.dll", "GetHandleInformation"}, {"KERNEL32.dll", "SetProcessAffinityMask"},
        {"KERNEL32.dll", "InterlockedCompareExchange"}, {"KERNEL32.dll", "InterlockedCompareExchangePointer"},
        {"KERNEL32.dll", "GetFileAttributesExA"}, {"KERNEL32.dll", "SwitchToThread"},
        {"GDI32.dll", "SetDCBrushColor"},        {"GDI32.dll", "SetDCPenColor"},
        {"USER32.dll", "GetAncestor"},           {"USER32.dll", "GetTitleBarInfo"},
        {"USER32.dll", "GetWindowInfo"},         {"USER32.dll", "GetComboBoxInfo"},
        {"USER32.dll", "GetScrollBarInfo"},      {"USER32.dll", "AnimateWindow"},
        {"USER32.dll", "SetLayeredWindowAttributes"}, {"USER32.dll", "UpdateLayeredWindow"},
        {"USER32.dll", "GetLayeredWindowAttributes"}, {"USER32.dll", "PrintWindow"},
        {"USER32.dll", "MonitorFromWindow"},     {"USER32.dll", "MonitorFromPoint"},
        {"USER32.dll", "MonitorFromRect"},       {"USER32.dll", "GetMonitorInfoA"},
        {"USER32.dll", "GetMonitorInfoW"},       {"USER32.dll", "EnumDisplayMonitors"},
        {"USER32.dll", "TrackMouseEvent"},       {"USER32.dll", "FlashWindowEx"},
        {"USER32.dll", "GetMenuInfo"},           {"USER32.dll", "SetMenuInfo"},
        {"COMCTL32.dll", "InitCommonControlsEx"},
    };
    for (auto &entry : lackingFunctions)
        EXPECT_TRUE(list.find(list.lacking, entry[0], entry[1])) << entry[0] << "!" << entry[1] << " not listed";
    EXPECT_TRUE(list.find(list.stubs, "KERNEL32.dll", "MoveFileExA"));
    EXPECT_FALSE(list.find(list.tolerated, "KERNEL32.dll", "MoveFileExA"));
    for (const char *dll : {"msimg32.dll", "uxtheme.dll", "dwmapi.dll"})
        EXPECT_TRUE(list.missingDlls.count(dll)) << dll << " not listed as missing";
    // The engine's W window functions exist on 95 (as stubs) and are called
    // only on the NT family: listing them would forbid what is sound.
    for (const char *w : {"SetWindowLongW", "CallWindowProcW", "DefWindowProcW", "DrawTextW", "SendMessageW",
                          "IsWindowUnicode"})
        EXPECT_FALSE(list.find(list.lacking, "USER32.dll", w) || list.find(list.stubs, "USER32.dll", w)) << w;
    // Later runtimes' exports must never be allowed.
    for (const char *newer : {"_chkesp", "_mbcasemap", "_ctime64", "___lc_codepage_func", "__iob_func", "_wassert"})
        EXPECT_FALSE(list.msvcrt.count(newer)) << newer;
}

// --- Faults planted in copies ----------------------------------------------

class PlantedFault : public ::testing::Test {
protected:
    PlantedFault() : folder_("planted") {}

    void SetUp() override
    {
        std::string error;
        list_ = oldWindowsList(&error);
        ASSERT_TRUE(list_) << error;
    }

    // The bytes of a built binary, read as a PE image.
    void load(const std::string &name)
    {
        name_ = name;
        ASSERT_TRUE(readWholeFile(buildFile(name), &bytes_)) << name;
        std::string error;
        ASSERT_TRUE(readPeImage(bytes_, &image_, &error)) << name << ": " << error;
    }

    // Writes the planted bytes as a copy and checks the copy from the file.
    std::vector<Finding> checkCopy()
    {
        std::string path = folder_.file("\\" + name_);
        EXPECT_TRUE(writeWholeFile(path, bytes_)) << path;
        PeImage image;
        std::vector<Finding> found;
        std::string error;
        EXPECT_TRUE(checkFile(path, *list_, &image, &found, &error)) << error;
        return found;
    }

    void put16(size_t offset, uint16_t v)
    {
        bytes_.at(offset) = (uint8_t)v;
        bytes_.at(offset + 1) = (uint8_t)(v >> 8);
    }
    void put32(size_t offset, uint32_t v)
    {
        put16(offset, (uint16_t)v);
        put16(offset + 2, (uint16_t)(v >> 16));
    }
    // Overwrites a NUL-terminated string in place with a name no longer than it.
    void putName(size_t offset, size_t room, const std::string &name)
    {
        ASSERT_LE(name.size(), room);
        for (size_t i = 0; i < room; ++i) bytes_.at(offset + i) = i < name.size() ? (uint8_t)name[i] : 0;
    }

    // An import by name from dll whose name is at least length long.
    bool importWithRoom(const std::string &dll, size_t length, Import *found) const
    {
        for (const Import &imp : image_.imports)
            if (!imp.byOrdinal && !imp.delayed && lowered(imp.dll) == lowered(dll) && imp.name.size() >= length) {
                *found = imp;
                return true;
            }
        return false;
    }

    const OldWindowsList *list_ = nullptr;
    TestFolder folder_;
    std::string name_;
    std::vector<uint8_t> bytes_;
    PeImage image_;
};

TEST_F(PlantedFault, EveryShippedBinaryTakesAListedFunctionInPlaceOfOneOfItsImportsAndIsReported)
{
    for (const char *binary : shippedBinaries) {
        SCOPED_TRACE(binary);
        load(binary);
        // The first listed function that fits over one of the copy's own
        // imports from the same library.
        Import target;
        std::string planted;
        for (auto &dll : list_->lacking) {
            for (auto &function : dll.second)
                if (importWithRoom(dll.first, function.first.size(), &target)) {
                    planted = function.first;
                    break;
                }
            if (!planted.empty()) break;
        }
        ASSERT_FALSE(planted.empty()) << "no import of " << binary << " has room for a listed name";
        putName(target.nameOffset, target.name.size(), planted);
        std::vector<Finding> found = checkCopy();
        EXPECT_TRUE(reports(found, target.dll, planted, "not on Windows 95 or NT 4.0"))
            << planted << " planted over " << target.name << ", found:\n" << report(binary, found);
    }
}

TEST_F(PlantedFault, AStubThatFailsOn9xIsReportedUnlessTolerated)
{
    load("vlplug.dll");
    Import target;
    ASSERT_TRUE(importWithRoom("KERNEL32.dll", strlen("MoveFileExA"), &target));
    putName(target.nameOffset, target.name.size(), "MoveFileExA");
    std::vector<Finding> found = checkCopy();
    EXPECT_TRUE(reports(found, "KERNEL32.dll", "MoveFileExA", "fails on Windows 95/98/ME")) << report(name_, found);

    load("vlplug.dll");
    ASSERT_TRUE(importWithRoom("KERNEL32.dll", strlen("GetModuleHandleW"), &target));
    putName(target.nameOffset, target.name.size(), "GetModuleHandleW");
    found = checkCopy();
    EXPECT_FALSE(reports(found, "KERNEL32.dll", "GetModuleHandleW", "")) << report(name_, found);
}

TEST_F(PlantedFault, ALibraryTheOldSystemsLackIsReported)
{
    load("vlplug.dll");
    Import user32;
    ASSERT_TRUE(importWithRoom("USER32.dll", 0, &user32));
    putName(user32.dllNameOffset, user32.dll.size(), "dwmapi.dll");
    std::vector<Finding> found = checkCopy();
    EXPECT_TRUE(reports(found, "dwmapi.dll", user32.name, "library missing")) << report(name_, found);

    load("vlplug.dll");
    putName(user32.dllNameOffset, user32.dll.size(), "nosuch.dll");
    found = checkCopy();
    EXPECT_TRUE(reports(found, "nosuch.dll", "", "not known to exist")) << report(name_, found);
}

TEST_F(PlantedFault, AnMsvcrtFunctionOfALaterRuntimeIsReportedWithHowToVerifyIt)
{
    load("varnel.dll");
    // _chkesp came with Visual C++ 6.0's msvcrt.
    Import target;
    ASSERT_TRUE(importWithRoom("msvcrt.dll", strlen("_chkesp"), &target));
    putName(target.nameOffset, target.name.size(), "_chkesp");
    std::vector<Finding> found = checkCopy();
    EXPECT_TRUE(reports(found, "msvcrt.dll", "_chkesp", "msvcrt.def.in")) << report(name_, found);
}

TEST_F(PlantedFault, AnImportByOrdinalIsReported)
{
    load("vlplug.dll");
    Import target;
    ASSERT_TRUE(importWithRoom("KERNEL32.dll", 0, &target));
    const uint16_t ordinal = 17;
    put32(target.thunkOffset, importByOrdinal | ordinal);
    std::vector<Finding> found = checkCopy();
    EXPECT_TRUE(reports(found, target.dll, "#17", "by ordinal")) << report(name_, found);
}

TEST_F(PlantedFault, ATlsDirectoryInADllIsReportedAndItsAbsenceIsNot)
{
    load("vlplug.dll");
    ASSERT_TRUE(image_.isDll);
    size_t entry = image_.directoryOffset(tlsDirectory);
    put32(entry, 0);
    put32(entry + 4, 0);
    std::vector<Finding> found = checkCopy();
    EXPECT_FALSE(reportsImage(found, "TLS directory")) << report(name_, found);

    const uint32_t someRva = 0x1000, tlsDirectorySize = 24;
    put32(entry, someRva);
    put32(entry + 4, tlsDirectorySize);
    found = checkCopy();
    EXPECT_TRUE(reportsImage(found, "TLS directory")) << report(name_, found);

    // An EXE may have one: Windows 95 loads those.
    load("vlload.exe");
    ASSERT_FALSE(image_.isDll);
    put32(image_.directoryOffset(tlsDirectory), someRva);
    put32(image_.directoryOffset(tlsDirectory) + 4, tlsDirectorySize);
    found = checkCopy();
    EXPECT_FALSE(reportsImage(found, "TLS directory")) << report(name_, found);
}

TEST_F(PlantedFault, VersionsAbove4AndOtherMachinesAreReported)
{
    const uint16_t windows2000 = 5;
    load("vlload.exe");
    put16(image_.optionalHeader + optSubsystemMajor, windows2000);
    EXPECT_TRUE(reportsImage(checkCopy(), "subsystem version 5.0"));

    load("vlload.exe");
    put16(image_.optionalHeader + optOsMajor, windows2000);
    EXPECT_TRUE(reportsImage(checkCopy(), "OS version 5.0"));

    load("vlload.exe");
    const uint16_t aboveNt4 = 1;
    put16(image_.optionalHeader + optSubsystemMinor, aboveNt4);
    EXPECT_TRUE(reportsImage(checkCopy(), "subsystem version 4.1"));

    load("vlload.exe");
    EXPECT_FALSE(reportsImage(checkCopy(), "machine"));
    const uint16_t machineAmd64 = 0x8664;
    put16(image_.optionalHeader - fileHeaderSize, machineAmd64);
    EXPECT_TRUE(reportsImage(checkCopy(), "machine is not i386"));
}

// A delay import descriptor written over the DOS stub, which the loader maps
// with the headers: it names KERNEL32 again and shares its name table, one of
// whose names becomes a listed one. Both forms of the descriptor: RVAs, and
// the addresses the oldest delay-load helpers used, where the name table
// holds addresses too; the regular descriptor then reads its address table
// (the same names as RVAs) instead.
TEST_F(PlantedFault, DelayLoadedImportsAreReadAndChecked)
{
    for (bool rvaForm : {true, false}) {
        SCOPED_TRACE(rvaForm ? "RVA form" : "address form");
        load("vlplug.dll");
        uint32_t lfanew = bytes_[dosNewHeaderField] | bytes_[dosNewHeaderField + 1] << 8;
        ASSERT_GE(lfanew, dosHeaderSize + 2 * delayDescriptorSize) << "no room for a descriptor in the DOS stub";
        ASSERT_GT(image_.directoryCount, (size_t)delayImportDirectory);
        Import target;
        ASSERT_TRUE(importWithRoom("KERNEL32.dll", strlen("SwitchToThread"), &target));
        size_t kernelImports = 0;
        for (const Import &imp : image_.imports) kernelImports += imp.dllNameRva == target.dllNameRva;

        uint32_t base = rvaForm ? 0 : image_.imageBase;
        if (!rvaForm) {
            put32(target.descriptorOffset, 0);
            for (const Import &imp : image_.imports)
                if (imp.dllNameRva == target.dllNameRva && !imp.byOrdinal)
                    put32(imp.thunkOffset, imp.hintNameRva + base);
        }
        size_t descriptor = dosHeaderSize;
        for (size_t i = 0; i < 2 * delayDescriptorSize; ++i) bytes_[descriptor + i] = 0;
        put32(descriptor, rvaForm ? delayAttributesRva : 0);
        put32(descriptor + 4, target.dllNameRva + base);
        put32(descriptor + 16, target.tableRva + base);
        put32(image_.directoryOffset(delayImportDirectory), (uint32_t)descriptor);
        put32(image_.directoryOffset(delayImportDirectory) + 4, (uint32_t)(2 * delayDescriptorSize));
        putName(target.nameOffset, target.name.size(), "SwitchToThread");

        std::string path = folder_.file("\\" + name_);
        ASSERT_TRUE(writeWholeFile(path, bytes_));
        PeImage image;
        std::vector<Finding> found;
        std::string error;
        ASSERT_TRUE(checkFile(path, *list_, &image, &found, &error)) << error;
        size_t delayed = 0;
        for (const Import &imp : image.imports) delayed += imp.delayed;
        EXPECT_EQ(delayed, kernelImports);
        EXPECT_TRUE(reports(found, "KERNEL32.dll", "SwitchToThread", "(delay-loaded)")) << report(name_, found);
    }
}

// --- Corrupt files --------------------------------------------------------

TEST(CorruptFile, TruncatedAnywhereBeforeTheLastImportIsAClearFailureNotACrash)
{
    std::vector<uint8_t> whole;
    ASSERT_TRUE(readWholeFile(buildFile("vlplug.dll"), &whole));
    PeImage image;
    std::string error;
    ASSERT_TRUE(readPeImage(whole, &image, &error)) << error;
    // The end of the last byte the read needs.
    size_t needed = 0;
    for (const Import &imp : image.imports) {
        needed = std::max(needed, imp.nameOffset + imp.name.size() + 1);
        needed = std::max(needed, imp.dllNameOffset + imp.dll.size() + 1);
        needed = std::max(needed, imp.thunkOffset + 4);
        needed = std::max(needed, imp.descriptorOffset + importDescriptorSize);
    }
    ASSERT_GT(needed, 0u);
    ASSERT_LE(needed, whole.size());
    const size_t step = 61;
    for (size_t length = 0; length < needed; length += step) {
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + length);
        error.clear();
        EXPECT_FALSE(readPeImage(cut, &image, &error)) << "read although cut at " << length;
        EXPECT_FALSE(error.empty()) << "no reason given when cut at " << length;
    }
    std::vector<uint8_t> headerOnly(whole.begin(), whole.begin() + 200);
    EXPECT_FALSE(readPeImage(headerOnly, &image, &error));
    EXPECT_NE(error.find("truncated"), std::string::npos) << error;
}

TEST(CorruptFile, EveryHeaderWordSetToAllOnesIsReadOrRefusedWithAReason)
{
    std::vector<uint8_t> whole;
    ASSERT_TRUE(readWholeFile(buildFile("varnel.dll"), &whole));
    const size_t headerBytes = 1024;
    for (size_t at = 0; at + 4 <= headerBytes && at + 4 <= whole.size(); at += 2) {
        std::vector<uint8_t> bad = whole;
        for (size_t i = 0; i < 4; ++i) bad[at + i] = 0xFF;
        PeImage image;
        std::string error;
        if (!readPeImage(bad, &image, &error)) {
            EXPECT_FALSE(error.empty()) << "at " << at;
        }
    }
    std::vector<uint8_t> bad = whole;
    bad[dosNewHeaderField] = 0xFF;
    bad[dosNewHeaderField + 1] = 0xFF;
    bad[dosNewHeaderField + 2] = 0xFF;
    PeImage image;
    std::string error;
    EXPECT_FALSE(readPeImage(bad, &image, &error));
    bad = whole;
    bad[0] = 'Z';
    EXPECT_FALSE(readPeImage(bad, &image, &error));
    EXPECT_NE(error.find("MZ"), std::string::npos) << error;
}

}  // namespace
