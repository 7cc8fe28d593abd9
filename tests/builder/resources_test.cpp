// The builder's resource writer on the real stubs (PE32 and PE32+), the
// .ico reader and the version information's option checks.
#include "tools/rozbal/errors.h"
#include "tools/rozbal/installer_resources.h"
#include "tools/rozbal/pe_resources.h"

#include "tests/support/little_endian.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace {

std::vector<unsigned char> Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

// Hex bytes, blanks ignored.
std::string Hex(const std::string& hex)
{
    std::string bytes, digits;
    for (char c : hex)
        if (c != ' ')
            digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
    return bytes;
}

std::vector<std::vector<unsigned char>> Stubs()
{
    std::vector<std::vector<unsigned char>> stubs;
#ifdef ROZBAL_TEST_STUBS
    std::istringstream paths(ROZBAL_TEST_STUBS);
    for (std::string path; std::getline(paths, path, ':');)
        stubs.push_back(Bytes(ReadFile(path)));
#endif
    return stubs;
}

// Where the PE header's fields of the tests lie.
size_t Pe(const std::vector<unsigned char>& image)
{
    return U32(image, 0x3C);
}
size_t Directories(const std::vector<unsigned char>& image)
{
    size_t optional = Pe(image) + 24;
    return optional + (image[optional] == 0x0B && image[optional + 1] == 0x01 ? 96 : 112);
}

TEST(PeResources, ChecksumIsTheLinkers)
{
    for (const auto& stub : Stubs())
        EXPECT_EQ(PeChecksum(stub), U32(stub, Pe(stub) + 24 + 64));
    if (Stubs().empty())
        GTEST_SKIP() << "no Windows stubs in this build";
}

// Added resources come back, the stub's own stay byte for byte, and the
// headers fit the moved sections.
TEST(PeResources, AddsResourcesAndKeepsTheStubs)
{
    for (auto stub : Stubs()) {
        std::vector<Resource> before = ReadResources(stub);
        ASSERT_FALSE(before.empty());
        std::vector<Resource> wanted = before;
        wanted.push_back({{RESOURCE_VERSION, {}}, {1, {}}, 0x405, 0, std::vector<unsigned char>(70000, 7)});
        wanted.push_back({{0, u"ZZ"}, {0, u"jméno"}, 0x405, 1250, Bytes("named")});
        size_t old_size = stub.size();
        WriteResources(stub, wanted);
        std::vector<Resource> after = ReadResources(stub);
        ASSERT_EQ(after.size(), wanted.size());
        for (const Resource& w : wanted) {
            auto same = [&](const Resource& r) {
                return r.type == w.type && r.name == w.name && r.language == w.language &&
                       r.code_page == w.code_page && r.data == w.data;
            };
            EXPECT_EQ(std::count_if(after.begin(), after.end(), same), 1);
        }
        EXPECT_GT(stub.size(), old_size + 70000);
        EXPECT_EQ(PeChecksum(stub), U32(stub, Pe(stub) + 24 + 64));
        // The relocations moved with their directory; SizeOfImage ends them.
        size_t table = Pe(stub) + 24 + U16(stub, Pe(stub) + 20);
        size_t sections = stub[Pe(stub) + 6];
        size_t last = table + 40 * (sections - 1);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&stub[last]), 6), ".reloc");
        EXPECT_EQ(U32(stub, Directories(stub) + 8 * 5), U32(stub, last + 12));
        EXPECT_EQ(U32(stub, Pe(stub) + 24 + 56),
                  (U32(stub, last + 12) + U32(stub, last + 8) + 0xFFF) & ~0xFFFu);
        EXPECT_EQ(U32(stub, last + 20) + U32(stub, last + 16), stub.size());
    }
}

TEST(PeResources, RefusesWhatItCannotRewrite)
{
    struct {
        const char* what;
        std::function<void(std::vector<unsigned char>&)> change;
        const char* message;
    } cases[] = {
        {"not PE", [](auto& s) { s[0] = 'X'; }, "not a Windows executable"},
        {"no PE signature", [](auto& s) { s[Pe(s)] = 'X'; }, "not a Windows PE executable"},
        {"cut", [](auto& s) { s.resize(s.size() - 600); }, "beyond the end"},
        {"no resources", [](auto& s) { std::fill_n(&s[Directories(s) + 16], 8, 0); }, "no resource section"},
        {"signed", [](auto& s) { s[Directories(s) + 8 * 4 + 4] = 8; }, "signed"},
        {"section after",
         [](auto& s) {
             size_t table = Pe(s) + 24 + U16(s, Pe(s) + 20);
             s[table + 40 * (s[Pe(s) + 6] - 1) + 1] = 'x';
         },
         "section .xeloc after its resources"},
    };
    for (auto stub : Stubs())
        for (const auto& c : cases) {
            std::vector<unsigned char> changed = stub;
            c.change(changed);
            try {
                WriteResources(changed, ReadResources(changed));
                ADD_FAILURE() << c.what << ": accepted";
            } catch (const InputError& e) {
                EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
                    << c.what << ": " << e.what();
            }
        }
}

// A BITMAPINFOHEADER (40 bytes), and a PNG signature with a length.
const std::string kBmp = "28000000 10000000 20000000 0100 2000" + std::string(48, '0');
const std::string kPng = "89504E470D0A1A0A 0000000D";

TEST(Icon, ReadsImagesOfEitherKind)
{
    std::string ico =
        Hex("0000 0100 0200"
            "10 10 00 00 0100 2000 28000000 26000000"
            "00 00 00 00 0100 2000 0C000000 4E000000" +
            kBmp + kPng);
    std::vector<IconImage> images = ParseIcon(ico);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(DescribeIcon(images), "16x16 32-bit, 256x256 PNG");
    EXPECT_EQ(images[1].data, Hex(kPng));
}

// What pack adds is what list reads back: the icon's images (the PNG one
// too) and the version strings, UTF-8 in, UTF-8 out.
TEST(Icon, WhatPackAddsListReads)
{
    TempDir dir;
    WriteFile(dir / "a.ico", Hex("0000 0100 0200"
                                 "10 10 00 00 0100 2000 28000000 26000000"
                                 "00 00 00 00 0100 2000 0C000000 4E000000" +
                                 kBmp + kPng));
    ResourceOptions options{dir / "a.ico", "Kůň", "2.0 beta", "2.0.1.3", "", "Popis", "© Firma"};
    for (auto stub : Stubs()) {
        AddResources(stub, options, "Instalace.exe");
        WriteFile(dir / "SETUP.EXE", std::string(stub.begin(), stub.end()) + "archive");
        InstallerLook look = ReadLook(dir / "SETUP.EXE", static_cast<uint32_t>(stub.size()));
        EXPECT_EQ(DescribeIcon(look.icon), "16x16 32-bit, 256x256 PNG");
        using Strings = std::vector<std::pair<std::string, std::string>>;
        EXPECT_EQ(look.version, (Strings{{"FileDescription", "Popis"},
                                         {"FileVersion", "2.0.1.3"},
                                         {"LegalCopyright", "© Firma"},
                                         {"OriginalFilename", "Instalace.exe"},
                                         {"ProductName", "Kůň"},
                                         {"ProductVersion", "2.0 beta"}}));
        // A second pack of the same stub would add a second group.
        EXPECT_THROW(AddResources(stub, options, "Instalace.exe"), InputError);
    }
}

TEST(Icon, RefusesBrokenFiles)
{
    const std::string entry = "10 10 00 00 0100 2000 28000000 16000000";
    struct {
        std::string hex;
        const char* message;
    } cases[] = {
        {"", "too short"},
        {"0000 0100", "too short"},
        {"0000 0200 0100" + entry + kBmp, "not an icon file"},  // a cursor
        {"0100 0100 0100" + entry + kBmp, "not an icon file"},
        {"0000 0100 0000", "holds no images"},
        {"0000 0100 0500" + entry + kBmp, "directory of 5 images is cut short"},
        {"0000 0100 0100" + entry, "image 1 lies beyond the end"},
        {"0000 0100 0100 10 10 00 00 0100 2000 00000000 16000000" + kBmp, "image 1 lies beyond the end"},
        {"0000 0100 0100 10 10 00 00 0100 2000 FFFFFFFF FFFFFFFF" + kBmp, "image 1 lies beyond the end"},
        {"0000 0100 0100" + entry + "29" + kBmp.substr(2), "neither PNG nor a Windows bitmap"},
        {"0000 0100 0100 10 10 00 00 0100 2000 04000000 16000000 89504E47",
         "neither PNG nor a Windows bitmap"},
    };
    for (const auto& c : cases) {
        try {
            ParseIcon(Hex(c.hex));
            ADD_FAILURE() << c.hex << ": accepted";
        } catch (const InputError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.hex << ": " << e.what();
        }
    }
}

TEST(VersionInformation, RefusesWhatItCannotWrite)
{
    struct {
        ResourceOptions options;
        std::string output, message;
    } cases[] = {
        {{{}, "日本", "", "", "", "", ""},
         "S.EXE",
         "--product-name: the text cannot be written in code page 1250"},
        {{{}, "", "", "", "Firma ☺", "", ""}, "S.EXE", "--company: the text cannot"},
        {{{}, "P", "", "", "", "", ""}, "Σ.EXE", "-o: the text cannot"},
        {{{}, "", "", "1.2.3.4.5", "", "", ""}, "S.EXE", "--file-version 1.2.3.4.5: give it as a.b.c.d"},
        {{{}, "", "", "1.65536", "", "", ""}, "S.EXE", "numbers from 0 to 65535"},
        {{{}, "", "", "1..2", "", "", ""}, "S.EXE", "give it as a.b.c.d"},
        {{{}, "", "", "v1", "", "", ""}, "S.EXE", "give it as a.b.c.d"},
        {{{}, std::string(40000, 'x'), "", "", "", "", ""}, "S.EXE", "too long"},
    };
    for (auto stub : Stubs())
        for (const auto& c : cases) {
            try {
                AddResources(stub, c.options, c.output);
                ADD_FAILURE() << c.message << ": accepted";
            } catch (const UsageError& e) {
                EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
            }
        }
}

}  // namespace
