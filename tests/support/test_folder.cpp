#include "support/test_folder.h"

#include <share.h>
#include <stdio.h>

#include <vector>

#include <gtest/gtest.h>

std::string buildFile(const std::string &relative)
{
    return std::string(VARNEL_BUILD_DIR) + "\\" + relative;
}

std::string shippedFile(const std::string &name)
{
    return std::string(VARNEL_SHIPPED_DIR) + "\\" + name;
}

void removeTree(const std::string &path)
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

TestFolder::TestFolder(const std::string &name)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(NULL, exe, sizeof exe);
    std::string base = exe;
    base = base.substr(base.find_last_of("\\/") + 1);
    std::string data = buildFile("test-data");
    CreateDirectoryA(data.c_str(), NULL);
    root_ = data + "\\" + base + "-" + name;
    // The same program may run at once in several runs (the caption matrix at
    // other display metrics); each such run names its own folders.
    char run[64];
    DWORD length = GetEnvironmentVariableA("VARNEL_TEST_RUN", run, sizeof run);
    if (length > 0 && length < sizeof run) root_ += std::string("-") + run;
    removeTree(root_);
    CreateDirectoryA(root_.c_str(), NULL);
    CreateDirectoryA((root_ + "\\varnels").c_str(), NULL);
}

TestFolder::~TestFolder() { removeTree(root_); }

void TestFolder::write(const std::string &relative, const std::string &content) const
{
    writeFileContent(file(relative), content);
}

bool readFileContent(const std::string &path, std::string *content)
{
    FILE *f = _fsopen(path.c_str(), "rb", _SH_DENYNO);
    if (!f) return false;
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    fclose(f);
    *content = text;
    return true;
}

std::string fileContent(const std::string &path)
{
    std::string content;
    readFileContent(path, &content);
    return content;
}

bool writeFileContent(const std::string &path, const std::string &content)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = fwrite(content.data(), 1, content.size(), f) == content.size();
    return fclose(f) == 0 && written;
}

void TestFolder::remove(const std::string &relative) const { DeleteFileA(file(relative).c_str()); }

void TestFolder::copyIn(const std::string &from, const std::string &relative) const
{
    CopyFileA(from.c_str(), file(relative).c_str(), FALSE);
}

void writePatternBitmap(const std::string &path, int w, int h, const std::function<COLORREF(int, int)> &colour)
{
    int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    ih.biSize = sizeof ih;
    ih.biWidth = w;
    ih.biHeight = h;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biSizeImage = stride * h;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + ih.biSizeImage;
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return;
    fwrite(&fh, sizeof fh, 1, f);
    fwrite(&ih, sizeof ih, 1, f);
    std::vector<unsigned char> row(stride, 0);
    for (int y = h - 1; y >= 0; y--) {
        for (int x = 0; x < w; x++) {
            COLORREF c = colour(x, y);
            row[x * 3] = GetBValue(c);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
        }
        fwrite(row.data(), 1, stride, f);
    }
    fclose(f);
}

void writeSolidBitmap(const std::string &path, int w, int h, COLORREF colour)
{
    writePatternBitmap(path, w, h, [colour](int, int) { return colour; });
}

CurrentTestFolder::CurrentTestFolder(const std::string &name) : TestFolder(name)
{
    GetCurrentDirectoryA(sizeof previous_, previous_);
    if (!SetCurrentDirectoryA(path())) ADD_FAILURE() << "cannot make " << path() << " the current directory";
}

CurrentTestFolder::~CurrentTestFolder() { SetCurrentDirectoryA(previous_); }
