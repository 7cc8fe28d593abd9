// End-to-end runs of the rozbal binary: round trips, the layout against the
// format, determinism, and the messages and exit codes of the failures.
#include "archive/format.h"
#include "tests/support/archive_writer.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

namespace fs = std::filesystem;

namespace {

struct Result {
    int code;
    std::string out, err;
};

// A command line, the exit code it must end with and a text its stderr must
// hold ("" for any).
struct CommandCase {
    std::string args;
    int code;
    std::string message;
};

class Cli : public ::testing::Test {
  protected:
    void SetUp() override
    {
        WriteFile(stub_, WindowsProgram(1000));
    }

    // Runs rozbal with `args` (already quoted as needed) in the scratch
    // directory: the builder of this build, or the command in
    // ROZBAL_UNDER_TEST (rozbal.exe under Wine), which must behave alike.
    Result Run(const std::string& args)
    {
        const char* under_test = std::getenv("ROZBAL_UNDER_TEST");
        std::string command = "cd '" + dir_.path().string() + "' && " +
                              (under_test ? under_test : ROZBAL_BINARY) + " " + args + " >out.txt 2>err.txt";
        int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(dir_ / "out.txt"),
                ReadFile(dir_ / "err.txt")};
    }

    // Runs the case's command and checks its exit code and message.
    void Expect(const CommandCase& c)
    {
        Result r = Run(c.args);
        EXPECT_EQ(r.code, c.code) << c.args << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << " said: " << r.err;
    }

    // Packs tree/ into `output` with the fake stub; expects success.
    void Pack(const std::string& args, const std::string& output = "SETUP.EXE")
    {
        Result r = Run("pack -q --stub stub.exe " + args + " tree -o " + output);
        ASSERT_EQ(r.code, 0) << r.err;
    }

    void MakeTree(const std::map<std::string, std::string>& files)
    {
        for (const auto& [name, data] : files)
            WriteFile(dir_ / "tree" / name, data);
    }

    // Every file under root with its content, by relative path.
    static std::map<std::string, std::string> Contents(const fs::path& root)
    {
        std::map<std::string, std::string> contents;
        for (const auto& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                contents[fs::relative(entry.path(), root).string()] = ReadFile(entry.path());
        return contents;
    }

    TempDir dir_;
    fs::path stub_ = dir_ / "stub.exe";
};

// The pieces of an executable without volumes: "flags size name" each.
std::vector<std::string> Pieces(const std::string& exe, ArchiveHeader& header)
{
    uint32_t offset =
        ReadLe32(reinterpret_cast<const unsigned char*>(exe.data() + exe.size() - TRAILER_SIZE));
    const auto* raw = reinterpret_cast<const unsigned char*>(exe.data());
    EXPECT_TRUE(DecodeArchiveHeader(raw + offset, &header));
    std::vector<std::string> pieces;
    for (size_t at = offset + ARCHIVE_HEADER_SIZE; at + ENTRY_RECORD_SIZE <= exe.size();) {
        EntryRecord record;
        EXPECT_TRUE(DecodeEntryRecord(raw + at, &record));
        pieces.push_back(std::to_string(record.flags) + " " + std::to_string(record.size) + " " +
                         record.name);
        at += ENTRY_RECORD_SIZE + record.size;
        if (record.flags & ENTRY_LAST) {
            // Zeros up to a multiple of 8 with the trailer, for signing.
            EXPECT_EQ(exe.size() % 8, 0u);
            EXPECT_EQ(exe.substr(at, exe.size() - TRAILER_SIZE - at),
                      std::string(exe.size() - TRAILER_SIZE - at, '\0'));
            EXPECT_LT(exe.size() - TRAILER_SIZE - at, 8u);
            break;
        }
    }
    return pieces;
}

TEST_F(Cli, RoundTrips)
{
    struct Case {
        const char* what;
        std::map<std::string, std::string> files;
        std::string args;
    } cases[] = {
        {"single file", {{"setup.cmd", "MZ program"}}, ""},
        {"empty files", {{"setup.cmd", ""}, {"a", ""}, {"d/b", ""}}, ""},
        {"piece limits",
         {{"setup.cmd", "x"}, {"exact", MakeData(3000000, false)}, {"over", MakeData(3000001, true)}},
         ""},
        {"nested", {{"setup.cmd", "x"}, {"a/x", "1"}, {"a/b/y", "2"}, {"a/b/c/z", "3"}, {"a/b2/w", "4"}}, ""},
        {"block files",
         {{"setup.cmd", "MZ"},
          {"text", MakeData(100000, false)},
          {"noise", MakeData(70000, true)},
          {"empty", ""},
          {"exact", MakeData(32000, false)},
          {"d/noise32000", MakeData(32000, true)}},
         "--compress-all"},
        {"volumes",
         {{"setup.cmd", "MZ"}, {"big", MakeData(300000, true)}, {"small.txt", MakeData(5000, false)}},
         "--volume-size 64K --compress '*.txt'"},
        {"czech names",
         {{"setup.cmd", "MZ"},
          {"příliš žluťoučký.txt", MakeData(40000, false)},
          {"ďábelské ódy/kůň.txt", "úpěl"}},
         "--compress '*.txt' --title 'Žluťoučký kůň'"},
        {"smallest volumes", {{"setup.cmd", "MZ"}, {"a", MakeData(3000, true)}}, "--volume-size 67"},
        {"fastest level",
         {{"setup.cmd", "MZ"}, {"text", MakeData(100000, false)}, {"noise", MakeData(40000, true)}},
         "--compress-all --level 1"},
        {"smallest level",
         {{"setup.cmd", "MZ"}, {"text", MakeData(100000, false)}, {"noise", MakeData(40000, true)}},
         "--compress-all --level=12"},
    };
    for (const Case& c : cases) {
        fs::remove_all(dir_ / "tree");
        fs::remove_all(dir_ / "out");
        MakeTree(c.files);
        Pack("--setup setup.cmd " + c.args);
        Result verify = Run("verify SETUP.EXE");
        EXPECT_EQ(verify.code, 0) << c.what << ": " << verify.err;
        Result extract = Run("extract -q SETUP.EXE out");
        ASSERT_EQ(extract.code, 0) << c.what << ": " << extract.err;
        EXPECT_EQ(Contents(dir_ / "out"), Contents(dir_ / "tree")) << c.what;
    }
}

// The password prompt of the installer's worker gets --password; verify
// without it takes the archive's own, extract without it is refused.
TEST_F(Cli, PasswordAtVerifyAndExtract)
{
    MakeTree({{"setup.cmd", "MZ"}});
    Pack("--setup setup.cmd --password TajnéŘ");
    fs::create_directory(dir_ / "empty");
    const CommandCase cases[] = {
        {"verify -q SETUP.EXE", 0, ""},
        {"verify -q --password tAJNéŘ SETUP.EXE", 0, ""},
        {"verify -q --password Jine SETUP.EXE", 2, "the password given is not the archive's"},
        {"verify -q --password tajnéř SETUP.EXE", 2, "the password given is not the archive's"},
        {"verify -q --password 日本 SETUP.EXE", 1,
         "--password: the text cannot be written in code page 1250"},
        {"extract -q SETUP.EXE out", 2, "asks for a password: give it with --password"},
        {"extract -q --password Jine SETUP.EXE out", 2, "the password given is not the archive's"},
        {"extract -q --password Jine SETUP.EXE empty", 2, "the password given is not the archive's"},
        {"extract -q --password=TAJNéŘ SETUP.EXE out", 0, ""},
    };
    for (const CommandCase& c : cases) {
        fs::remove_all(dir_ / "out");
        Expect(c);
        // A failed extract removes the directory it made and keeps one that was there.
        EXPECT_EQ(fs::exists(dir_ / "out"), c.code == 0 && c.args.find(" out") != std::string::npos)
            << c.args;
        if (fs::exists(dir_ / "out")) {
            EXPECT_EQ(Contents(dir_ / "out").size(), 1u) << c.args;
        }
        EXPECT_TRUE(fs::is_empty(dir_ / "empty")) << c.args;
    }
}

TEST_F(Cli, LayoutFollowsTheFormat)
{
    MakeTree({{"setup.cmd", "MZ"}});
    Pack("--setup setup.cmd --title Titul --password Heslo --stay");
    std::string exe = ReadFile(dir_ / "SETUP.EXE");
    EXPECT_EQ(exe.substr(0, 1000), ReadFile(stub_));
    ArchiveHeader header;
    EXPECT_EQ(Pieces(exe, header), std::vector<std::string>{"9 2 setup.cmd"});
    EXPECT_EQ(ReadLe32(reinterpret_cast<const unsigned char*>(exe.data()) + exe.size() - 4), 1000u);
    EXPECT_EQ(header.file_count, 1u);
    EXPECT_EQ(header.close_when_done, 0u);
    EXPECT_STREQ(header.title, "Titul");
    EXPECT_STREQ(header.password, "Heslo");
    // Text fields are zero after their NUL, for reproducible files.
    EXPECT_EQ(exe.substr(1000 + 8 + 9, 48 - 9), std::string(48 - 9, '\0'));

    fs::remove_all(dir_ / "tree");
    MakeTree({{"setup.cmd", "MZ"}, {"a/data", MakeData(70000, false)}, {"a/b/more", "x"}});
    Pack("--setup setup.cmd --compress data");
    exe = ReadFile(dir_ / "SETUP.EXE");
    std::vector<std::string> pieces = Pieces(exe, header);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], "1 2 setup.cmd");
    EXPECT_EQ(pieces[1].substr(0, 2), "1 ");
    EXPECT_EQ(pieces[1].substr(pieces[1].size() - 10), "a\\data.xxx");
    EXPECT_EQ(pieces[2], "9 1 a\\b\\more");
    EXPECT_EQ(header.close_when_done, 1u);
    EXPECT_EQ(header.file_count, 3u);
    size_t block = 1000 + ARCHIVE_HEADER_SIZE + ENTRY_RECORD_SIZE + 2 + ENTRY_RECORD_SIZE;
    EXPECT_EQ(exe.substr(block, 2), "\x66\x01");
    EXPECT_EQ(exe.substr(block + 6, 2), "\x78\x9C");
}

TEST_F(Cli, VolumesSplitAFileAndFillUp)
{
    MakeTree({{"setup.cmd", "MZ"}, {"big", MakeData(150000, true)}});
    Pack("--setup setup.cmd --volume-size 64K");
    std::string exe = ReadFile(dir_ / "SETUP.EXE");
    EXPECT_EQ(exe.size(), 1000 + ARCHIVE_HEADER_SIZE + 65536u);
    ArchiveHeader header;
    std::vector<std::string> pieces = Pieces(exe, header);
    EXPECT_EQ(pieces.back(), "1 " + std::to_string(65536 - 4 - 56) + " big");
    std::string volume = ReadFile(dir_ / "SETUP.E01");
    EXPECT_EQ(volume.size(), 65536u);
    EXPECT_EQ(volume.substr(0, 4), std::string("\x02\0\0\0", 4));
    EXPECT_EQ(volume.substr(8, 4), std::string("big\0", 4));
    EXPECT_EQ(ReadFile(dir_ / "SETUP.E02").substr(0, 4), std::string("\x02\0\0\0", 4));
    EXPECT_FALSE(fs::exists(dir_ / "SETUP.E03"));

    Result again = Run("pack --stub stub.exe --setup setup.cmd --volume-size 64K tree -o SETUP.EXE");
    EXPECT_EQ(again.code, 0);
    EXPECT_NE(again.err.find("overwriting"), std::string::npos) << again.err;
    EXPECT_NE(again.out.find("2 files, 150002 bytes -> SETUP.EXE ("), std::string::npos) << again.out;
    EXPECT_NE(again.out.find(" bytes in 3 files); the installer unpacks it in at least 0.4 s (4 pieces)"),
              std::string::npos)
        << again.out;

    // Into fewer volumes: every higher one left from before is named.
    WriteFile(dir_ / "SETUP.E03", "old");
    Result fewer = Run("pack -q --stub stub.exe --setup setup.cmd --volume-size 128K tree -o SETUP.EXE");
    EXPECT_EQ(fewer.code, 0);
    for (const char* stale :
         {"SETUP.E02 is left from an earlier pack", "SETUP.E03 is left from an earlier pack"})
        EXPECT_NE(fewer.err.find(stale), std::string::npos) << fewer.err;
    EXPECT_EQ(Run("pack -q --stub stub.exe --setup setup.cmd --volume-size 64K tree -o SETUP.EXE").code, 0);
    Result list = Run("list SETUP.EXE");
    EXPECT_EQ(list.code, 0);
    EXPECT_NE(list.out.find("SETUP.E02                 19100  9 CREATE|LAST             2  setup.cmd"),
              std::string::npos)
        << list.out;
}

// Whatever the stub's length and the volume size, the executable ends on a
// multiple of 8 within the volume size, and the zeros before the trailer
// read as nothing.
TEST_F(Cli, ExecutableEndsOnAMultipleOf8)
{
    MakeTree({{"setup.cmd", "MZ"}, {"big", MakeData(20000, true)}});
    const uint64_t kArchive = 152 + 56 + 20000 + 56 + 2 + 4;  // without padding
    struct Case {
        size_t stub;
        const char* volume_size;  // also bytes; "" for none
        uint64_t size;
    } cases[] = {
        {1000, "", 1000 + kArchive + 2},  // zeros of padding last
        {1001, "", 1001 + kArchive + 1},    {1003, "", 1003 + kArchive + 7}, {1006, "", 1006 + kArchive + 4},
        {1002, "", 1002 + kArchive + 0},    {1000, "10000", 1152 + 10000},  // filled to the volume size
        {1000, "10003", 1152 + 10000},       // filled to the multiple of 8 below it
        {1001, "10000", 1001 + 152 + 9999},  // 1153 + 9999 = 11152
    };
    for (const Case& c : cases) {
        WriteFile(stub_, WindowsProgram(c.stub));
        std::string volume = *c.volume_size ? std::string("--volume-size ") + c.volume_size + " " : "";
        Pack(volume + "--setup setup.cmd");
        EXPECT_EQ(fs::file_size(dir_ / "SETUP.EXE"), c.size) << c.stub << " " << c.volume_size;
        Result verify = Run("verify SETUP.EXE");
        EXPECT_EQ(verify.code, 0) << c.stub << " " << c.volume_size << ": " << verify.err;
        EXPECT_NE(verify.out.find("; not signed"), std::string::npos) << verify.out;
    }
}

// The installer pauses 100 ms before each piece: pack, list and verify say
// how long unpacking takes at least, and warn beyond a minute.
TEST_F(Cli, TellTheLeastUnpackTime)
{
    struct Case {
        int files;  // besides setup.cmd
        const char* time;
        bool warned;
    } cases[] = {
        {0, "at least 0.1 s (1 piece)", false},
        {599, "at least 1 min 0 s (600 pieces)", false},
        {600, "at least 1 min 0 s (601 pieces)", true},
    };
    for (const Case& c : cases) {
        fs::remove_all(dir_ / "tree");
        MakeTree({{"setup.cmd", "MZ"}});
        for (int i = 0; i < c.files; i++)
            WriteFile(dir_ / "tree" / std::to_string(i), "");
        for (const char* command : {"pack --stub stub.exe --setup setup.cmd tree -o SETUP.EXE",
                                    "list SETUP.EXE", "verify SETUP.EXE"}) {
            Result r = Run(command);
            EXPECT_EQ(r.code, 0) << command << ": " << r.err;
            EXPECT_NE(r.out.find(c.time), std::string::npos) << command << ": " << r.out;
            EXPECT_EQ(
                r.err.find(std::string("warning: the installer pauses 100 ms before each piece: unpacking "
                                       "takes ") +
                           c.time) != std::string::npos,
                c.warned)
                << command << ": " << r.err;
        }
    }
}

TEST_F(Cli, OutputIsReproducible)
{
    MakeTree({{"setup.cmd", "MZ"},
              {"a.txt", MakeData(2000000, false)},
              {"b.bin", MakeData(500000, true)},
              {"c/d.txt", MakeData(700001, false, 7)}});
    // Each level on its own: the same bytes whatever the threads.
    std::map<std::string, std::string> reference;
    for (std::string run : {"1 6", "4 6", "1 6", "3 12", "1 12", "2 1", "1 1"}) {
        std::string threads = run.substr(0, 1), level = run.substr(2);
        Pack("--setup setup.cmd --compress-all --volume-size 1000K --threads " + threads + " --level " +
             level);
        std::string all =
            ReadFile(dir_ / "SETUP.EXE") + ReadFile(dir_ / "SETUP.E01") + ReadFile(dir_ / "SETUP.E02");
        if (reference[level].empty())
            reference[level] = all;
        EXPECT_TRUE(all == reference[level]) << "threads " << threads << ", level " << level;
    }
    EXPECT_LT(reference["12"].size(), reference["6"].size());
    EXPECT_LT(reference["6"].size(), reference["1"].size());
}

TEST_F(Cli, FailuresExplainThemselves)
{
    MakeTree({{"setup.cmd", "MZ"}, {"data", MakeData(100000, false)}});
    WriteFile(dir_ / "nodir" / "setup.cmd", "MZ");
    WriteFile(dir_ / "nodir" / "x" / "y" / "z", "deep");
    WriteFile(dir_ / "ok" / "setup.cmd", "MZ");
    WriteFile(dir_ / "long" / std::string(48, 'n'), "x");
    WriteFile(dir_ / "short.exe", "0123456789");
    // What Windows can start as the setup program, and what it cannot.
    WriteFile(dir_ / "programs" / "readme.txt", "x");
    WriteFile(dir_ / "programs" / "install.bat", "@echo off");
    WriteFile(dir_ / "programs" / "bin" / "prog.exe", WindowsProgram(1000, 0x8664, 3));
    WriteFile(dir_ / "full" / "f", "x");
    // Refused names, all named in one run.
    WriteFile(dir_ / "names" / "setup.cmd", "MZ");
    WriteFile(dir_ / "names" / "..x", "x");
    WriteFile(dir_ / "names" / std::string(48, 'n'), "x");
    WriteFile(dir_ / "names" / (std::string(44, 'c') + ".z"), "x");  // 46 bytes, 50 with .xxx
    WriteFile(dir_ / "names" / "plain.xxx", "x");
    for (int i = 0; i < 53; i++)
        WriteFile(dir_ / "many" / (std::to_string(i) + std::string(48, 'm')), "x");
    ASSERT_EQ(Run("pack -q --stub stub.exe --setup setup.cmd ok -o GOOD.EXE").code, 0);
    std::string good = ReadFile(dir_ / "GOOD.EXE");
    WriteFile(dir_ / "TRUNCATED.EXE", good.substr(0, good.size() - 1));
    ASSERT_EQ(Run("pack -q --stub stub.exe --setup setup.cmd tree -o TREE.EXE").code, 0);
    std::string tree = ReadFile(dir_ / "TREE.EXE");
    WriteFile(dir_ / "CUT.EXE", tree.substr(0, tree.size() - 104) + tree.substr(tree.size() - 4));
    ASSERT_EQ(Run("pack -q --stub stub.exe --setup setup.cmd --volume-size 40K tree -o V.EXE").code, 0);
    fs::rename(dir_ / "V.E02", dir_ / "V.E02.away");
    // One 16x16 bitmap, enough for the icon reader; the fake stub refuses it.
    WriteFile(dir_ / "one.ico",
              std::string("\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0\x28\0\0\0\x16\0\0\0\x28", 23) +
                  std::string(39, '\0'));
    WriteFile(dir_ / "bad.rsp", "list\n\xE8\n");                  // code page 1250, not UTF-8
    WriteFile(dir_ / "odd.rsp", std::string("\xFF\xFEl\0i", 5));  // UTF-16 cut inside a unit
    WriteFile(dir_ / "CONSOLE.EXE", WindowsProgram(1000, 0x14C, 3));
    WriteFile(dir_ / "ARM.EXE", WindowsProgram(1000, 0x1C4));
    WriteFile(dir_ / "OUTSIDE.EXE", Installer(Header(1, 1, "..\\x", "t"), Piece(9, "x", "x")));

    const CommandCase cases[] = {
        {"", 1, "no command"},
        {"frobnicate", 1, "unknown command 'frobnicate'"},
        {"pack --bogus ok -o X", 1, "unknown option --bogus"},
        {"pack ok", 1, "pack needs -o"},
        {"pack --stub stub.exe ok -o X", 1, "pack needs --setup"},
        {"pack --stub stub.exe --setup nope.exe ok -o X", 1, "--setup nope.exe: no such file"},
        {"pack --stub stub.exe --setup readme.txt programs -o X", 1,
         "--setup readme.txt: Windows cannot start 'readme.txt': it is neither a program (it has no PE "
         "headers) nor "
         "a .bat or .cmd file"},
        {"pack -q --stub stub.exe --setup 'bin/prog.exe /S' programs -o PE.EXE", 0, ""},
        {"pack -q --stub stub.exe --setup INSTALL.BAT programs -o BAT.EXE", 0, ""},
        {"pack -q --stub stub.exe --setup 'setup.cmd /S /D=c:/x' ok -o ARGS.EXE", 0, ""},
        {"verify -q ARGS.EXE", 0, ""},
        {"pack -q --stub stub.exe --setup 'SETUP.CMD\t/S' ok -o TAB.EXE", 0, ""},
        {"verify -q TAB.EXE", 0, ""},
        {"pack --stub stub.exe --setup 'nope.exe /S' ok -o X", 1,
         "no such file in the tree (the program is the first part, up to a blank, that names a file)"},
        {"pack --stub stub.exe --setup 'setup.cmd /" + std::string(40, 'x') + "' ok -o X", 1,
         "51 bytes in code page 1250 with its arguments, the installer's field holds at most 47"},
        {"pack --stub stub.exe --setup setup.cmd --volume-size 56 ok -o X", 1,
         "--volume-size 56: at least 67 bytes"},
        {"pack --stub stub.exe --setup setup.cmd --volume-size 66 ok -o X", 1,
         "--volume-size 66: at least 67 bytes"},
        {"pack --stub stub.exe --setup setup.cmd --volume-size 67 tree -o X", 1, "more than 999 volumes"},
        {"pack --stub stub.exe --setup setup.cmd --volume-size 1X ok -o X", 1, "bad size '1X'"},
        {"pack --stub stub.exe --setup setup.cmd --volume-size= ok -o X", 1, "bad size ''"},
        {"pack --stub stub.exe --setup setup.cmd --volume-size 2G ok -o X", 1, "larger than 2147483647"},
        {"pack --stub stub.exe --setup setup.cmd --threads 1025 ok -o X", 1, "--threads needs a number"},
        {"pack --stub stub.exe --setup setup.cmd --threads 0 ok -o X", 1, "--threads needs a number"},
        {"pack --stub stub.exe --setup setup.cmd --level 0 ok -o X", 1,
         "--level needs a number from 1 to 12"},
        {"pack --stub stub.exe --setup setup.cmd --level=13 ok -o X", 1,
         "--level needs a number from 1 to 12"},
        {"pack --stub stub.exe --setup setup.cmd -o", 1, "--output"},
        {"pack --stub stub.exe --setup setup.cmd ok more -o X", 1, "pack needs exactly one directory"},
        {"list --bogus GOOD.EXE", 1, "unknown option --bogus"},
        {"list -- -x", 2, "cannot open -x"},
        {"pack --stub stub.exe --setup setup.cmd --level=-1 ok -o X", 1, "--level needs a number"},
        {"pack --stub stub.exe --setup setup.cmd --level ok -o X", 1, "--level needs a number"},
        {"pack --stub stub.exe --setup setup.cmd --title " + std::string(48, 't') + " ok -o X", 1,
         "at most 47"},
        {"pack --stub stub.exe --setup setup.cmd --password 日本 ok -o X", 1, "code page 1250"},
        {"pack --stub stub.exe --setup setup.cmd ok -o ok/X", 1, "lies inside the tree"},
        {"pack --stub stub.exe --setup setup.cmd ok -o full", 1, "is a directory"},
        {"pack --stub stub.exe --setup setup.cmd missing -o X", 2, "missing: does not exist"},
        {"pack --stub stub.exe --setup setup.cmd short.exe -o X", 2, "short.exe: not a directory"},
        {"pack --stub stub.exe --setup setup.cmd names -o X", 2, "3 names cannot be stored:"},
        {"pack --stub stub.exe --setup setup.cmd names -o X", 2,
         "  '..x': unusable as an archive name: it has a '..' component, or one that begins with two dots"},
        {"pack --stub stub.exe --setup setup.cmd --compress '*.z' names -o X", 2,
         "  '" + std::string(44, 'c') +
             ".z': unusable as an archive name: it is 50 bytes long, the installer "
             "takes at most 47, only because compressing adds .xxx"},
        {"pack --stub stub.exe --setup setup.cmd names -o X", 2, "  'plain.xxx': the installer decodes"},
        {"pack --stub stub.exe --setup setup.cmd names -o X", 2,
         "  '" + std::string(48, 'n') + "': unusable as an archive name: it is 48 bytes long"},
        {"pack --stub stub.exe --setup setup.cmd many -o X", 2, "53 names cannot be stored:"},
        {"pack --stub stub.exe --setup setup.cmd many -o X", 2, "  and 3 more"},
        {"pack --stub nostub.exe --setup setup.cmd ok -o X", 2, "stub nostub.exe: no such file"},
        {"pack --stub short.exe --setup setup.cmd ok -o X", 2, "the stub short.exe is not a Windows program"},
        {"pack --stub CONSOLE.EXE --setup setup.cmd ok -o X", 2, "CONSOLE.EXE is not a Windows GUI program"},
        {"pack --stub ARM.EXE --setup setup.cmd ok -o X", 2, "ARM.EXE is not built for i386 or AMD64"},
        {"pack --stub GOOD.EXE --setup setup.cmd ok -o X", 2,
         "GOOD.EXE has 216 bytes after its last section (an installer already?)"},
        {"pack --stub stub.exe --setup nnn long -o X", 2, "the installer takes at most 47"},
        {"pack --stub stub.exe --setup setup.cmd nodir -o X", 2,
         "directory 'x' holds subdirectories but no file"},
        {"pack --stub stub.exe --setup setup.cmd ok -o no/such/dir/X", 3,
         "cannot create no/such/dir/X: No such file"},
        {"list missing.exe", 2, "cannot open missing.exe"},
        {"verify short.exe", 2, "short.exe holds no archive"},
        {"verify stub.exe", 2, "stub.exe holds no archive"},
        {"verify ok", 2, "ok is a directory, not an installer"},
        {"list OUTSIDE.EXE", 2,
         "OUTSIDE.EXE holds no archive the installer accepts: the installer refuses the setup"},
        {"verify OUTSIDE.EXE", 2, "OUTSIDE.EXE holds no archive the installer accepts"},
        {"verify TRUNCATED.EXE", 2, "TRUNCATED.EXE holds no archive"},
        {"verify CUT.EXE", 2, "CUT.EXE, offset 1152, piece 1 (data): the data is cut short"},
        {"verify V.EXE", 2, "missing volume V.E02"},
        {"extract GOOD.EXE full", 1, "is not empty"},
        {"verify", 1, "verify needs one installer"},
        {"extract GOOD.EXE", 1, "needs an installer and a directory"},
        {"list --json --names GOOD.EXE", 1, "--json or --names, not both"},
        {"pack --stub stub.exe --setup setup.cmd --icon missing.ico ok -o X", 2,
         "cannot read the icon missing.ico"},
        {"pack --stub stub.exe --setup setup.cmd --icon short.exe ok -o X", 2,
         "--icon short.exe: not an icon file"},
        {"pack --stub stub.exe --setup setup.cmd --icon ok ok -o X", 2,
         "cannot read the icon ok: it is a directory"},
        {"@ok", 2, "cannot read response file ok: it is a directory"},
        {"pack --stub stub.exe --setup setup.cmd --icon one.ico ok -o X", 2,
         "the stub cannot take an icon or version information: the executable's section alignment is broken"},
        {"pack --stub stub.exe --setup setup.cmd --company Ω ok -o X", 1,
         "--company: the text cannot be written in code page 1250"},
        {"pack --stub stub.exe --setup setup.cmd --file-version 1.2.x ok -o X", 1,
         "--file-version 1.2.x: give it"},
        {"list --json short.exe", 2, "short.exe holds no archive"},
        {"@missing.rsp", 2, "cannot read response file missing.rsp"},
        {"@bad.rsp", 2, "response file bad.rsp: not UTF-8"},
        {"@odd.rsp", 2, "response file odd.rsp: not UTF-8"},
    };
    for (const CommandCase& c : cases)
        Expect(c);
    EXPECT_FALSE(fs::exists(dir_ / "X"));
    EXPECT_FALSE(fs::exists(dir_ / "X.E01"));
    for (const char* command : {"", "pack", "list", "verify", "extract"}) {
        for (const char* flag : {" --help", " /?"}) {
            Result help = Run(std::string(command) + flag);
            EXPECT_EQ(help.code, 0) << command << flag;
            EXPECT_EQ(help.out.rfind(std::string("usage: rozbal ") + command, 0), 0u) << command << flag;
        }
    }
    Result pack_help = Run("pack --help");
    EXPECT_EQ(pack_help.out.find("--level"), pack_help.out.rfind("--level")) << "--level listed twice";
    Result one = Run("pack --stub stub.exe --setup setup.cmd ok -o ONE.EXE");
    EXPECT_EQ(one.code, 0);
    EXPECT_EQ(one.out.rfind("1 file, 2 bytes -> ONE.EXE (", 0), 0u) << one.out;
    EXPECT_EQ(one.err, "");
    Result version = Run("--version");
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("rozbal 1.", 0), 0u) << version.out;
    EXPECT_NE(version.out.find("\nstubs: zlib 1."), std::string::npos) << version.out;
}

// What scripts read: list --json and verify --json parsed by a second JSON
// reader (Python's), the names alone, and arguments from response files.
TEST_F(Cli, OutputForScripts)
{
    MakeTree({{"setup.cmd", "MZ"}, {"big", MakeData(60000, true)}, {"d/small.txt", MakeData(5000, false)}});
    Pack("--setup setup.cmd --volume-size 40K --compress '*.txt' --title 'Kůň' --password heslo");
    // Python prints the expression's value for the document in out.txt.
    auto query = [&](const std::string& expression) {
        std::string command = "cd '" + dir_.path().string() +
                              "' && python3 -c 'import json; d = json.load(open(\"out.txt\")); print(" +
                              expression + ", end=\"\")' >query.txt";
        EXPECT_EQ(std::system(command.c_str()), 0) << expression;
        return ReadFile(dir_ / "query.txt");
    };
    const char* pieces =
        "[(p[\"name\"], p[\"size\"] > 0, p[\"flag_names\"], p[\"volume\"], p[\"block_file\"]) "
        "for p in d[\"pieces\"]]";
    struct {
        std::string args;
        int code;
        std::string expression, value;
    } cases[] = {
        {"list --json SETUP.EXE", 0, "d[\"header\"]",
         "{'offset': 1000, 'title': 'Kůň', 'setup': 'setup.cmd', 'close_when_done': True, 'password': 'set', "
         "'file_count': 3}"},
        {"list --json --show-password SETUP.EXE", 0, "d[\"header\"][\"password\"]", "heslo"},
        {"list --json SETUP.EXE", 0, "d[\"signature\"][\"signed\"], d[\"verdict\"]",
         "False {'ok': True, 'error': None}"},
        {"list --json SETUP.EXE", 0, "[(v[\"volume\"], v[\"file\"][-5:]) for v in d[\"volumes\"]]",
         "[(0, 'P.EXE'), (1, 'P.E01')]"},
        {"list --json SETUP.EXE", 0, pieces,
         "[('big', True, ['CREATE'], 0, False), ('big', True, ['APPEND'], 1, False), "
         "('setup.cmd', True, ['CREATE'], 1, False), ('d\\\\small.txt.xxx', True, ['CREATE', 'LAST'], 1, "
         "True)]"},
        {"verify --json SETUP.EXE", 0,
         "d[\"totals\"][\"files\"], d[\"totals\"][\"volumes\"], d[\"verdict\"][\"ok\"]", "3 2 True"},
        {"verify --json --password heslo SETUP.EXE", 0, "d[\"verdict\"][\"ok\"]", "True"},
        {"verify --json --password zle SETUP.EXE", 2, "d[\"verdict\"][\"ok\"], \"totals\" in d",
         "False False"},
    };
    for (const auto& c : cases) {
        Result r = Run(c.args);
        EXPECT_EQ(r.code, c.code) << c.args << ": " << r.err;
        EXPECT_EQ(query(c.expression), c.value) << c.args;
    }

    // The names, and the same from response files in each encoding (lines
    // end in CR LF on Windows).
    auto lines = [](std::string text) {
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        return text;
    };
    const std::string names = "big\nsetup.cmd\nd\\small.txt.xxx\n";
    EXPECT_EQ(lines(Run("list --names SETUP.EXE").out), names);
    auto utf16 = [](const std::string& ascii, bool big_endian) {
        std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
        for (char c : ascii)
            bytes += big_endian ? std::string{'\0', c} : std::string{c, '\0'};
        return bytes;
    };
    std::string response = "-1\r\n\nSETUP.EXE\r\n";
    for (const std::string& bytes :
         {response, "\xEF\xBB\xBF" + response, utf16(response, false), utf16(response, true)}) {
        WriteFile(dir_ / "args.rsp", bytes);
        Result r = Run("list @args.rsp");
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(lines(r.out), names);
    }
    // The missing volume: the document still comes, with the verdict.
    fs::rename(dir_ / "SETUP.E01", dir_ / "SETUP.E01.away");
    Result r = Run("list --json SETUP.EXE");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(
        query("d[\"verdict\"][\"ok\"], \"missing volume\" in d[\"verdict\"][\"error\"], len(d[\"pieces\"])"),
        "False True 1");
}

TEST_F(Cli, FailedPackLeavesNothing)
{
    MakeTree({{"setup.cmd", "MZ"}, {"a", MakeData(3000000, false)}});
    fs::create_symlink("/proc/self/mem", dir_ / "tree" / "b");  // a regular file that cannot be read
    Result r = Run("pack -q --stub stub.exe --setup setup.cmd tree -o SETUP.EXE");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("cannot read"), std::string::npos) << r.err;
    for (const auto& entry : fs::directory_iterator(dir_.path()))
        EXPECT_EQ(entry.path().filename().string().find("SETUP"), std::string::npos) << entry.path();
}

// Hand-made archives that the installer must not follow outside its directory.
TEST_F(Cli, ExtractRefusesUnsafeNames)
{
    struct Case {
        const char* name;
        const char* message;
    } cases[] = {
        {"..\\evil", "'..' component"},
        {"a\\..\\..\\evil", "'..' component"},
        {"\\evil", "rooted"},
        {"\\\\host\\share\\evil", "rooted"},
        {"c:\\evil", "contains ':'"},
        {"C:evil", "contains ':'"},
        {"evil:stream", "contains ':'"},
        {"/evil", "rooted"},
    };
    for (const Case& c : cases) {
        std::string exe =
            Installer(Header(1, 0, "setup.cmd", ""), Piece(ENTRY_CREATE | ENTRY_LAST, c.name, ""));
        WriteFile(dir_ / "BAD.EXE", exe);
        fs::remove_all(dir_ / "deep");

        Result r = Run("extract BAD.EXE deep/in");
        EXPECT_EQ(r.code, 2) << c.name;
        EXPECT_NE(r.err.find("piece 1"), std::string::npos) << c.name << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
        EXPECT_FALSE(fs::exists(dir_ / "deep")) << c.name;  // made by the failed run
        EXPECT_EQ(Run("verify BAD.EXE").code, 2) << c.name;
    }
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path()))
        EXPECT_EQ(entry.path().filename().string().find("evil"), std::string::npos) << entry.path();
}

TEST_F(Cli, VerifyFindsCorruptBlocks)
{
    MakeTree({{"setup.cmd", "MZ"}, {"data", MakeData(100000, false)}});
    Pack("--setup setup.cmd --compress data");
    std::string exe = ReadFile(dir_ / "SETUP.EXE");
    size_t payload = 1000 + ARCHIVE_HEADER_SIZE + ENTRY_RECORD_SIZE + 2 + ENTRY_RECORD_SIZE + 6;
    exe[payload + 500] ^= 0x55;
    WriteFile(dir_ / "SETUP.EXE", exe);
    Result r = Run("verify SETUP.EXE");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("block file 'data.xxx' does not decode"), std::string::npos) << r.err;
    EXPECT_EQ(Run("extract SETUP.EXE out").code, 2);
}

// A block file written in two pieces of one name: only a piece that creates
// the file empties it; one with neither flag opens it and leaves it as it is,
// so a broken first piece must still fail, in verify as in the installer.
TEST_F(Cli, VerifyTakesTheBlockFileTheInstallerDecodes)
{
    struct Case {
        uint32_t second_flags;  // of an empty second piece of "d.xxx"
        int code;               // of verify and of extract
    } cases[] = {
        {0, 2},
        {ENTRY_APPEND, 2},
        {ENTRY_CREATE, 0},
    };
    for (const Case& c : cases) {
        std::string pieces =
            Piece(ENTRY_CREATE, "d.xxx", std::string("\x01\x00\x00\x00\x00\x00", 6)) +  // no block marker
            Piece(c.second_flags, "d.xxx", "") + Piece(ENTRY_CREATE | ENTRY_LAST, "setup.cmd", "MZ");
        std::string exe = Installer(Header(2, 0, "setup.cmd", ""), pieces);
        WriteFile(dir_ / "TWO.EXE", exe);
        fs::remove_all(dir_ / "out");

        Result verify = Run("verify TWO.EXE");
        EXPECT_EQ(verify.code, c.code) << c.second_flags << ": " << verify.err;
        Result extract = Run("extract TWO.EXE out");
        EXPECT_EQ(extract.code, c.code) << c.second_flags << ": " << extract.err;
    }
}

}  // namespace
