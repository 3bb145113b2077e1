// The trace channel: a line per thing the engine refused or could not do,
// in builds made with it, and nothing at all in the library that ships.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "engine/trace.h"
#include "support/test_folder.h"

#ifdef VARNEL_TRACE
static std::vector<std::string> lines;
static void WINAPI recordLine(const char *line) { lines.push_back(line); }

TEST(Trace, LinesNameTheProcessAndEndTheLine)
{
    engineTraceSink = recordLine;
    lines.clear();
    engineTrace("skin bitmap %s did not load (error %lu)", "C:\\windows\\varnels\\vl.bmp", 2ul);
    engineTraceSink = OutputDebugStringA;
    ASSERT_EQ(1u, lines.size());
    char expected[200];
    snprintf(expected, sizeof expected, "varnel[%lu]: skin bitmap C:\\windows\\varnels\\vl.bmp did not load (error 2)\r\n",
             (unsigned long)GetCurrentProcessId());
    EXPECT_EQ(expected, lines[0]);
}

TEST(Trace, AnOverlongLineIsCutNotOverrun)
{
    engineTraceSink = recordLine;
    lines.clear();
    const std::string huge(5000, 'x');
    engineTrace("%s", huge.c_str());
    engineTraceSink = OutputDebugStringA;
    ASSERT_EQ(1u, lines.size());
    EXPECT_LT(lines[0].size(), 1100u);
    EXPECT_EQ("\r\n", lines[0].substr(lines[0].size() - 2));
}
#endif

// The library users get is built without the channel: none of its lines,
// nor the prefix they start with, is in the file.
TEST(Trace, TheShippedLibraryCarriesNoTraceLine)
{
    FILE *f = fopen(buildFile("varnel.dll").c_str(), "rb");
    ASSERT_TRUE(f != NULL);
    std::string bytes;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    fclose(f);
    ASSERT_GT(bytes.size(), 10000u);
    EXPECT_EQ(std::string::npos, bytes.find("varnel[%lu]"));
    EXPECT_EQ(std::string::npos, bytes.find("did not load"));
    EXPECT_NE(std::string::npos, bytes.find("StaticWindowProc")) << "the search reads the file's strings";
}
