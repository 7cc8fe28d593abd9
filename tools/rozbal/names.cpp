#include "tools/rozbal/names.h"

#include "archive/container.h"
#include "archive/entry_name.h"
#include "archive/format.h"
#include "archive/path.h"
#include "archive/setup_program.h"
#include "tools/rozbal/errors.h"

#include <cstdio>
#include <cstring>

namespace {

// Why the installer's name rule refuses `name`, in words.
std::string FaultText(const std::string& name, int fault)
{
    switch (fault) {
    case NAME_COLON: return "it contains ':' (a drive or stream name)";
    case NAME_EMPTY_COMPONENT:
        if (name[0] == '\\' || name[0] == '/')
            return "it is rooted (begins with a separator)";
        return "it has an empty path component";
    case NAME_TWO_DOTS: return "it has a '..' component, or one that begins with two dots";
    case NAME_DOT_OR_BLANK_END: return "a path component ends with a dot or a space";
    case NAME_BAD_CHARACTER: return "it contains a character Windows does not allow in file names";
    case NAME_DEVICE: return "a path component is a Windows device name";
    case NAME_BLOCK_DECODES_BADLY: return "the name the block file decodes into is refused";
    }
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
    return FaultText(name, EntryNameFault(name.c_str()));
}

std::string CheckSetupField(const std::string& field)
{
    if (field.empty())
        return "the header names no setup program";
    if (SetupFieldStaysInside(field.c_str()))
        return {};
    std::string first = field.substr(0, field.find_first_of(" \t"));
    return "the installer refuses the setup program field '" + DisplayText(field) + "': its part '" +
           DisplayText(first) + "' is refused: " + FaultText(first, EntryNameFault(first.c_str()));
}

std::string PickSetupProgram(const std::string& field, const std::function<bool(const std::string&)>& is_file,
                             std::string& arguments)
{
    char program[TEXT_FIELD_SIZE];
    auto test = [](const char* name, void* context) -> int {
        return (*static_cast<const std::function<bool(const std::string&)>*>(context))(name);
    };
    size_t length = field.size() < TEXT_FIELD_SIZE
                        ? FindSetupProgram(field.c_str(), test,
                                           const_cast<void*>(static_cast<const void*>(&is_file)), program)
                        : 0;
    if (length == 0)
        return {};
    arguments = field.substr(length);
    return program;
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
