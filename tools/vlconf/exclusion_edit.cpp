// Editing the exclusion list "\varnels\vlexcl.ini" line by line: a name is
// matched exactly as the engine matches it, and every other line (comments,
// blank lines, other programs, their line breaks) is kept as it stands.
#include <string.h>

#include "engine/program_exclusion.h"
#include "tools/vlconf/vlconf.h"

bool validProgramName(const std::string &name, std::string *error)
{
    if (name.empty()) {
        *error = "no program name given";
        return false;
    }
    if (name.find_first_of("\\/:") != std::string::npos) {
        *error = "\"" + name + "\" is a path: the list holds bare file names such as game.exe";
        return false;
    }
    for (char c : name) {
        if ((unsigned char)c < ' ' || strchr("<>\"|?*", c)) {
            *error = "\"" + name + "\" cannot be a file name";
            return false;
        }
    }
    if (name[0] == ' ' || name[name.size() - 1] == ' ' || name[0] == ';') {
        *error = "\"" + name + "\" cannot be listed: the list trims spaces and skips lines starting with ;";
        return false;
    }
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) {
        *error = "\"" + name + "\" has no extension: the list matches whole file names, such as " + name +
                 (dot + 1 == name.size() && dot != std::string::npos ? "exe" : ".exe");
        return false;
    }
    if (name.size() >= exclusionNameSize) {
        *error = "\"" + name + "\" is longer than a file name can be";
        return false;
    }
    return true;
}

struct ListLine {
    size_t start;
    size_t length;  // without the line break
    size_t next;    // start of the following line
};

static std::vector<ListLine> splitLines(const std::string &list)
{
    std::vector<ListLine> lines;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find('\n', start);
        size_t next = end == std::string::npos ? list.size() : end + 1;
        if (end == std::string::npos) end = list.size();
        lines.push_back({start, end - start, next});
        start = next;
    }
    return lines;
}

static std::string lineText(const std::string &list, const ListLine &line)
{
    std::string text = list.substr(line.start, line.length);
    // Notepad's UTF-8 byte-order mark, which the engine skips as well.
    if (line.start == 0 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text = text.substr(3);
    return text;
}

static bool lineNames(const std::string &list, const ListLine &line, const std::string &program)
{
    return exclusionLineNames(lineText(list, line).c_str(), program.c_str()) != 0;
}

std::vector<std::string> listedPrograms(const std::string &list)
{
    std::vector<std::string> names;
    for (const ListLine &line : splitLines(list)) {
        const std::string text = lineText(list, line);
        // Trimmed, and comments skipped, as the engine reads a line.
        const size_t first = text.find_first_not_of(" \t\r");
        const size_t last = text.find_last_not_of(" \t\r");
        if (first != std::string::npos && text[first] != ';') names.push_back(text.substr(first, last + 1 - first));
    }
    return names;
}

std::string addExcludedProgram(const std::string &list, const std::string &program, bool *changed)
{
    for (const ListLine &line : splitLines(list)) {
        if (lineNames(list, line, program)) {
            *changed = false;
            return list;
        }
    }
    const char *lineBreak = list.find("\r\n") != std::string::npos ? "\r\n"
                            : list.find('\n') != std::string::npos ? "\n"
                                                                   : "\r\n";
    std::string out = list;
    if (!out.empty() && out[out.size() - 1] != '\n') out += lineBreak;
    out += program + lineBreak;
    *changed = true;
    return out;
}

std::string removeExcludedProgram(const std::string &list, const std::string &program, bool *changed)
{
    std::string out;
    *changed = false;
    for (const ListLine &line : splitLines(list)) {
        if (lineNames(list, line, program)) {
            *changed = true;
            if (line.start == 0 && list.compare(0, 3, "\xEF\xBB\xBF") == 0) out += list.substr(0, 3);
            continue;
        }
        out += list.substr(line.start, line.next - line.start);
    }
    return out;
}
