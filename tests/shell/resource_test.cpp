// The compiled resources (rozbal.rc through windres into a .res file): the
// two dialog templates control by control, the clip, and that everything is
// Czech. Read with our own small reader of the .res layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/little_endian.h"

namespace {

using Bytes = std::vector<uint8_t>;

enum : uint32_t {
    WS_POPUP = 0x80000000, WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000,
    WS_CAPTION = 0x00C00000, WS_BORDER = 0x00800000, WS_SYSMENU = 0x00080000,
    WS_GROUP = 0x00020000, WS_TABSTOP = 0x00010000,
    DS_SETFONT = 0x40, DS_MODALFRAME = 0x80, DS_CENTER = 0x800,
    BS_DEFPUSHBUTTON = 1, ES_PASSWORD = 0x20, ES_AUTOHSCROLL = 0x80, ACS_TRANSPARENT = 2,
    CHILD = WS_CHILD | WS_VISIBLE,
    DIALOG = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT,
};
constexpr uint16_t kCzech = 0x0405;  // LANG_CZECH, SUBLANG_DEFAULT

// Reads little-endian values and UTF-16 names from a byte range.
struct Reader {
    const Bytes& data;
    size_t at;

    uint16_t U16()
    {
        uint16_t v = ::U16(data, at);
        at += 2;
        return v;
    }
    uint32_t U32()
    {
        uint32_t v = ::U32(data, at);
        at += 4;
        return v;
    }
    void Align() { at = (at + 3) & ~size_t(3); }

    // A zero-terminated UTF-16 string, as UTF-8 (only Latin-2 letters occur).
    std::string Text()
    {
        std::string out;
        for (uint16_t c; (c = U16()) != 0;) {
            if (c < 0x80) {
                out += char(c);
            } else {
                out += char(0xC0 | c >> 6);
                out += char(0x80 | (c & 0x3F));
            }
        }
        return out;
    }

    // A name or ordinal: "#N" for an ordinal.
    std::string NameOrOrdinal()
    {
        if (data.at(at) == 0xFF && data.at(at + 1) == 0xFF) {
            at += 2;
            return "#" + std::to_string(U16());
        }
        return Text();
    }
};

struct Resource {
    std::string type, name;
    uint16_t language;
    Bytes data;
};

std::vector<Resource> ReadRes(const Bytes& file)
{
    std::vector<Resource> resources;
    Reader r{file, 0};
    while (r.at + 8 <= file.size()) {
        size_t start = r.at;
        uint32_t data_size = r.U32(), header_size = r.U32();
        Resource res;
        res.type = r.NameOrOrdinal();
        res.name = r.NameOrOrdinal();
        r.Align();
        r.U32();  // data version
        r.U16();  // memory flags
        res.language = r.U16();
        size_t data = start + header_size;
        res.data.assign(file.begin() + data, file.begin() + data + data_size);
        if (data_size > 0)  // the file starts with an empty entry
            resources.push_back(res);
        r.at = data + data_size;
        r.Align();
    }
    return resources;
}

// Window class names are not case-sensitive (the compiler may change them).
std::string Upper(std::string text)
{
    for (char& c : text)
        c = char(std::toupper((unsigned char)c));
    return text;
}

struct Control {
    std::string cls;
    int id;
    std::string text;
    uint32_t style;
    int x, y, cx, cy;

    bool operator==(const Control& o) const
    {
        return Upper(cls) == Upper(o.cls) && id == o.id && text == o.text && style == o.style && x == o.x &&
               y == o.y && cx == o.cx && cy == o.cy;
    }
};

std::ostream& operator<<(std::ostream& out, const Control& c)
{
    return out << c.cls << " " << c.id << " \"" << c.text << "\" style 0x" << std::hex << c.style
               << std::dec << " at " << c.x << "," << c.y << " " << c.cx << "x" << c.cy;
}

struct Dialog {
    uint32_t style, exstyle;
    int cx, cy;
    std::string menu, cls, caption, font;
    int points;
    std::vector<Control> controls;
};

Dialog ReadDialog(const Bytes& data)
{
    Reader r{data, 0};
    Dialog d;
    d.style = r.U32();
    d.exstyle = r.U32();
    int count = r.U16();
    r.U16(), r.U16();  // x, y
    d.cx = r.U16();
    d.cy = r.U16();
    d.menu = r.NameOrOrdinal();
    d.cls = r.NameOrOrdinal();
    d.caption = r.Text();
    d.points = r.U16();
    d.font = r.Text();
    for (int i = 0; i < count; ++i) {
        r.Align();
        Control c;
        c.style = r.U32();
        r.U32();  // extended style
        c.x = r.U16(), c.y = r.U16(), c.cx = r.U16(), c.cy = r.U16();
        c.id = r.U16();
        std::string cls = r.NameOrOrdinal();
        c.cls = cls == "#128" ? "BUTTON" : cls == "#129" ? "EDIT" : cls == "#130" ? "STATIC" : cls;
        c.text = r.NameOrOrdinal();
        r.at += r.U16();  // creation data
        d.controls.push_back(c);
    }
    return d;
}

Bytes ReadFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

class Resources : public ::testing::Test {
protected:
    void SetUp() override { resources_ = ReadRes(ReadFile(ROZBAL_RES)); }

    const Resource* Find(const std::string& type, const std::string& name)
    {
        for (const Resource& r : resources_) {
            if (r.type == type && r.name == name)
                return &r;
        }
        return nullptr;
    }

    void ExpectDialog(int id, int cx, int cy, const std::vector<Control>& controls)
    {
        const Resource* res = Find("#5", "#" + std::to_string(id));
        ASSERT_NE(res, nullptr) << "dialog " << id;
        Dialog d = ReadDialog(res->data);
        EXPECT_EQ(d.style, uint32_t(DIALOG));
        EXPECT_EQ(d.exstyle, 0u);
        EXPECT_EQ(d.cx, cx);
        EXPECT_EQ(d.cy, cy);
        EXPECT_EQ(d.menu, "");
        EXPECT_EQ(d.cls, "");
        EXPECT_EQ(d.caption, "Instalátor");
        EXPECT_EQ(d.points, 8);
        EXPECT_EQ(d.font, "MS Sans Serif");
        ASSERT_EQ(d.controls.size(), controls.size());
        for (size_t i = 0; i < controls.size(); ++i)
            EXPECT_EQ(d.controls[i], controls[i]) << "control " << i + 1 << " of " << id;
    }

    std::vector<Resource> resources_;
};

TEST_F(Resources, ProgressDialog)
{
    ExpectDialog(101, 248, 81, {
        {"BUTTON", 2, "Storno", CHILD, 191, 60, 50, 14},
        {"STATIC", 0xFFFF, "Rozbaluje se:", CHILD | WS_GROUP | WS_TABSTOP, 7, 43, 43, 8},
        {"STATIC", 1001, "FILES.DAT", CHILD | WS_GROUP, 56, 43, 182, 8},
        {"msctls_progress32", 1000, "Progress2", CHILD, 7, 60, 176, 8},
        {"SysAnimate32", 1007, "Animate1", CHILD | ACS_TRANSPARENT, 7, 0, 234, 37},
    });
}

TEST_F(Resources, PasswordDialog)
{
    ExpectDialog(104, 183, 71, {
        {"STATIC", 0xFFFF, "Program je chráněn heslem, prosím zadejte heslo:", CHILD | WS_GROUP,
         7, 7, 169, 8},
        {"EDIT", 1008, "", CHILD | ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
         20, 25, 135, 14},
        {"BUTTON", 1, "OK", CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP, 38, 48, 50, 14},
        {"BUTTON", 2, "Storno", CHILD | WS_TABSTOP, 95, 48, 50, 14},
    });
}

TEST_F(Resources, ClipIsTheCommittedFile)
{
    const Resource* clip = Find("AVI", "#1006");
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->data, ReadFile(ROZBAL_SOURCE_DIR "/resources/animation.avi"));
}

// Everything the user sees is Czech; the manifest is language-neutral.
TEST_F(Resources, AllCzechAndNothingElse)
{
    std::vector<std::string> found;
    for (const Resource& r : resources_) {
        found.push_back(r.type + " " + r.name);
        EXPECT_EQ(r.language, r.type == "#24" ? 0 : kCzech) << r.type << " " << r.name;
    }
    // The string table's ids 2 to 7 share block 1 (ids 0 to 15).
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"#24 #1", "#5 #101", "#5 #104", "#6 #1", "AVI #1006"}));
}

// The application manifest: what it must say, what it must not, and no
// bytes spent on comments or indentation.
TEST_F(Resources, ManifestRunsAsInvokerOnVistaTo11)
{
    const Resource* manifest = Find("#24", "#1");
    ASSERT_NE(manifest, nullptr);
    std::string text(manifest->data.begin(), manifest->data.end());
    struct {
        const char* part;
        bool present;
    } cases[] = {
        {"<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>", true},
        {"<supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"/>", true},  // Vista
        {"<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>", true},  // 7
        {"<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>", true},  // 8
        {"<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>", true},  // 8.1
        {"<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>", true},  // 10 and 11
        {">true</dpiAware>", true},
        {"Common-Controls", false},
        {"dependentAssembly", false},
        {"PerMonitor", false},
        {"<!--", false},
        {"\n ", false},
        {"\t", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text.find(c.part) != std::string::npos, c.present) << c.part;
}

}  // namespace
