#include "tools/rozbal/names.h"

#include "archive/container.h"
#include "archive/format.h"
#include "archive/path.h"
#include "tools/rozbal/errors.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Why Windows would not create a file or directory named `component`.
std::string CheckComponent(const std::string& component)
{
    if (component.empty())
        return "it has an empty path component";
    if (component == "." || component == "..")
        return "it has a '" + component + "' component";
    for (unsigned char c : component)
        if (c < 0x20 || std::strchr("<>\"|?*", c))
            return "it contains a character Windows does not allow in file names";
    if (component.back() == '.' || component.back() == ' ')
        return "a path component ends with a dot or a space";
    std::string device = FoldCase(component.substr(0, component.find('.')));
    while (!device.empty() && device.back() == ' ')
        device.pop_back();
    static const char* const reserved[] = {"con", "prn", "aux", "nul"};
    for (const char* name : reserved)
        if (device == name)
            return "'" + component + "' is a Windows device name";
    if (device.size() == 4 && (device.compare(0, 3, "com") == 0 || device.compare(0, 3, "lpt") == 0) &&
        device[3] >= '1' && device[3] <= '9')
        return "'" + component + "' is a Windows device name";
    return {};
}

}  // namespace

std::string DisplayText(const std::string& cp1250)
{
    std::string utf8;
    if (Cp1250ToUtf8(cp1250, utf8))
        return utf8;
    std::string shown, one;
    for (char c : cp1250) {
        if (Cp1250ToUtf8(std::string(1, c), one)) {
            shown += one;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(c));
            shown += escaped;
        }
    }
    return shown;
}

std::string FoldCase(const std::string& cp1250)
{
    std::string folded = cp1250;
    for (char& c : folded) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u >= 'A' && u <= 'Z')
            u = static_cast<unsigned char>(u + 0x20);
        else if (u == 0x8A || u == 0x8C || u == 0x8D || u == 0x8E || u == 0x8F)  // Š Ś Ť Ž Ź
            u = static_cast<unsigned char>(u + 0x10);
        else if (u == 0xA3 || u == 0xAA || u == 0xAF)  // Ł Ş Ż
            u = static_cast<unsigned char>(u + 0x10);
        else if (u == 0xA5)  // Ą
            u = 0xB9;
        else if (u == 0xBC)  // Ľ
            u = 0xBE;
        else if (u >= 0xC0 && u <= 0xDE && u != 0xD7)  // À-Þ except ×
            u = static_cast<unsigned char>(u + 0x20);
        c = static_cast<char>(u);
    }
    return folded;
}

std::string CheckArchiveName(const std::string& name)
{
    if (name.empty())
        return "the name is empty";
    if (name.size() > TEXT_FIELD_SIZE - 1)
        return "it is " + std::to_string(name.size()) + " bytes long, the installer takes at most " +
               std::to_string(TEXT_FIELD_SIZE - 1);
    if (IsSeparator(name[0]))
        return "it is rooted (begins with a separator)";
    if (name.find(':') != std::string::npos)
        return "it contains ':' (a drive or stream name)";
    size_t start = 0;
    for (;;) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end]))
            end++;
        std::string why = CheckComponent(name.substr(start, end - start));
        if (!why.empty() || end == name.size())
            return why;
        start = end + 1;
    }
}

bool IsBlockName(const std::string& name)
{
    char extension[PART_SIZE];
    SplitPath(name.c_str(), nullptr, nullptr, nullptr, extension);
    return EqualNoCase(extension, ".xxx");
}

std::string PlainName(const std::string& block_name)
{
    return block_name.substr(0, block_name.size() - 4);
}

std::filesystem::path VolumePath(const std::filesystem::path& archive, unsigned number)
{
    // The rule looks at the file name only, so a long directory does not matter.
    char name[SYS_PATH_SIZE];
    if (!MakeVolumeName(archive.filename().u8string().c_str(), number, name, sizeof name))
        throw UsageError("cannot name volume " + std::to_string(number) + " of " + archive.string() +
                         ": the file name is too long");
    return archive.parent_path() / std::filesystem::u8path(name);
}
