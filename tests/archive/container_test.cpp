#include "archive/container.h"

#include "file_fixture.h"

#include <stdio.h>
#include <string.h>

namespace {

// The shared writer's header (closing when done) and piece, as bytes.
Bytes HeaderBytes(uint32_t file_count, const char* setup, const char* title, const char* password)
{
    return AsBytes(Header(file_count, 1, setup, title, password));
}

Bytes PieceBytes(uint32_t flags, const char* name, const Bytes& data)
{
    return AsBytes(Piece(flags, name, AsText(data)));
}

Bytes Filled(size_t count, unsigned char value)
{
    return Bytes(count, value);
}

const Bytes kImage = Filled(100, 'M');
const Bytes kHeader = HeaderBytes(1, "setup.exe", "Demo", "");
const Bytes kSinglePiece = PieceBytes(ENTRY_CREATE | ENTRY_LAST, "setup.exe", {'h', 'e', 'l', 'l', 'o'});

// kHeader with the 48 bytes at offset filled with 'A', so no NUL is left.
Bytes HeaderWithoutNul(size_t offset)
{
    Bytes raw = kHeader;
    std::fill(raw.begin() + offset, raw.begin() + offset + TEXT_FIELD_SIZE, 'A');
    return raw;
}

SysFile OpenForReading(const std::string& path)
{
    SysFile file = SysOpenFile(path.c_str(), SYS_OPEN_READ);
    EXPECT_NE(file, SYS_NO_FILE) << path;
    return file;
}

// A PE image of 384 bytes (magic 0x10B: PE32, 0x20B: PE32+) whose optional
// header has `directories` data directories, all empty.
Bytes Image(unsigned magic, uint32_t directories = 16)
{
    Bytes image(384, 0);
    image[0] = 'M', image[1] = 'Z';
    image[0x3C] = 0x40;
    Bytes signature = {'P', 'E', 0, 0};
    std::copy(signature.begin(), signature.end(), image.begin() + 0x40);
    size_t optional = 0x40 + 24, count = optional + (magic == 0x10B ? 92 : 108);
    image[0x40 + 20] = (unsigned char)(count + 4 - optional + directories * 8);  // SizeOfOptionalHeader
    image[optional] = (unsigned char)magic, image[optional + 1] = (unsigned char)(magic >> 8);
    Bytes number = Le32(directories);
    std::copy(number.begin(), number.end(), image.begin() + count);
    return image;
}

// file with the security directory of its image set to offset and size.
Bytes WithDirectory(Bytes file, uint32_t offset, uint32_t size)
{
    size_t entry = 0x40 + 24 + (file[0x40 + 24] == 0x0B && file[0x40 + 25] == 0x01 ? 96 : 112) + 4 * 8;
    Bytes fields = Concat({Le32(offset), Le32(size)});
    std::copy(fields.begin(), fields.end(), file.begin() + entry);
    return file;
}

// file signed as a signing tool does: table appended and named.
Bytes Signed(const Bytes& file, const Bytes& table)
{
    return WithDirectory(Concat({file, table}), (uint32_t)file.size(), (uint32_t)table.size());
}

class ContainerTest : public FileFixture {
  protected:
    void WalkSplitFile(const Bytes& executable, const Bytes& first, const Bytes& second);
};

TEST_F(ContainerTest, LocatesHeaderThroughTrailer)
{
    struct Case {
        const char* label;
        Bytes file;
        int ok;
    } cases[] = {
        {"header after the image", Concat({kImage, kHeader, kSinglePiece, Le32(100)}), 1},
        {"header at offset 0", Concat({kHeader, Le32(0)}), 1},
        {"152 bytes up to the end", Concat({kImage, Filled(148, 0), Le32(100)}), 1},
        {"151 bytes up to the end", Concat({kImage, Filled(147, 0), Le32(100)}), 0},
        {"trailer past the end", Concat({kImage, kHeader, Le32(0x10000)}), 0},
        {"trailer beyond 2 GiB", Concat({kImage, kHeader, Le32(0x80000000u)}), 0},
        {"trailer at -4 as signed", Concat({kImage, kHeader, Le32(0xFFFFFFFCu)}), 0},
        {"trailer at -1 as signed", Concat({kImage, kHeader, Le32(0xFFFFFFFFu)}), 0},
        {"trailer points at itself", Concat({kImage, kHeader, Le32(252)}), 0},
        {"file of 3 bytes", Filled(3, 0), 0},
        {"empty file", {}, 0},
        {"setup_program without NUL", Concat({kImage, HeaderWithoutNul(8), Le32(100)}), 0},
        {"title without NUL", Concat({kImage, HeaderWithoutNul(56), Le32(100)}), 0},
        {"password without NUL", Concat({kImage, HeaderWithoutNul(104), Le32(100)}), 0},
    };
    for (const Case& c : cases) {
        SysFile file = OpenForReading(Write("archive.exe", c.file));
        ArchiveHeader header;
        EXPECT_EQ(!!ReadArchiveHeader(file, &header), c.ok) << c.label;
        SysClose(file);
    }
}

// Reads file as the worker does: the header, then record and data until a
// record read comes up short. Returns the pieces read, -1 when the header
// cannot be read, -2 at a name without NUL or data cut short.
int CountPieces(SysFile file)
{
    ArchiveHeader header;
    EntryRecord record;
    static unsigned char data[1 << 16];
    if (!ReadArchiveHeader(file, &header))
        return -1;
    int pieces = 0;
    for (int result; (result = ReadEntryRecord(file, &record)) != RECORD_NONE; pieces++)
        if (result == RECORD_BAD || record.size > sizeof data || !ReadPieceData(file, data, record.size))
            return -2;
    return pieces;
}

// The executable ends where a certificate table begins that ends at the
// file's end; records stop at the trailer before it. Everything else reads
// as an unsigned file.
TEST_F(ContainerTest, SignedExecutableEndsAtItsCertificateTable)
{
    const Bytes pe32 = Image(0x10B), pe32_plus = Image(0x20B);
    const Bytes two = Concat({kHeader, PieceBytes(ENTRY_CREATE, "a", {'1'}), PieceBytes(9, "setup.exe", {'2', '2'})});
    const Bytes archive = Concat({pe32, two, Le32(384)});                // 384 + 152 + 57 + 58 + 4 = 655
    const Bytes archive64 = Concat({pe32_plus, two, Le32(384)});         // read as PE32+
    const Bytes aligned = Concat({pe32, two, Filled(1, 0), Le32(384)});  // 656: padded to 8
    // 53 bytes after the last piece: with the trailer they make a record.
    const Bytes crossing = Concat({pe32, two, Filled(53, 0), Le32(384)});
    // A table that holds what reads as a record, and one of the trailer's form.
    const Bytes record_table = PieceBytes(9, "x", {});
    const Bytes trailer_table = Concat({Filled(4, 0), Le32(384)});
    Bytes far_header = pe32;
    far_header[0x3D] = 0x10;  // the PE header named at 0x1040
    const int32_t n = (int32_t)archive.size();
    struct Case {
        const char* label;
        Bytes file;
        int directory;  // ReadCertificateDirectory's result
        int32_t end;
        uint32_t table_size;
        int pieces;  // CountPieces
    } cases[] = {
        {"unsigned PE32", archive, 0, n, 0, 2},
        {"unsigned without image", Concat({kImage, two, Le32(100)}), 0, 371, 0, 2},
        {"signed, table of 8", Signed(archive, Filled(8, 0xA5)), 1, n, 8, 2},
        {"signed, table of 64 holding a record", Signed(archive, Concat({record_table, Filled(8, 0)})), 1, n,
         64, 2},
        {"signed, table of 8 like a trailer", Signed(archive, trailer_table), 1, n, 8, 2},
        {"signed, table of 10000", Signed(archive, Filled(10000, 0x09)), 1, n, 10000, 2},
        {"signed PE32+, table of 1536", Signed(archive64, Filled(1536, 0x5A)), 1, n, 1536, 2},
        {"signed after alignment padding", Signed(aligned, Filled(16, 1)), 1, n + 1, 16, 2},
        {"unsigned, record read takes in the trailer", crossing, 0, n + 53, 0, 3},
        {"signed, record read would cross the trailer", Signed(crossing, Filled(8, 1)), 1, n + 53, 8, 2},
        {"directory ends before the file's end", WithDirectory(archive, 384, 152), 1, n, 0, 2},
        {"directory ends 1 byte after the end", WithDirectory(archive, n - 8, 9), 1, n, 0, 2},
        {"directory past the end", WithDirectory(archive, n + 8, 8), 1, n, 0, 2},
        {"directory wrapping 32 bits", WithDirectory(archive, n - 8, 0xFFFFFFFFu), 1, n, 0, 2},
        {"directory of size 0 at the end", WithDirectory(archive, n, 0), 0, n, 0, 2},
        {"directory at offset 0 over the file", WithDirectory(archive, 0, n), 0, n, 0, 2},
        // Without a table the reader looks for the trailer in its last bytes.
        {"four data directories", Signed(Concat({Image(0x10B, 4), two, Le32(384)}), Filled(8, 1)), 0, n + 8,
         0, -1},
        {"unknown optional header magic", Signed(Concat({Image(0x10C), two, Le32(384)}), Filled(8, 1)), 0,
         n + 8, 0, -1},
        {"PE header beyond the end", Signed(Concat({far_header, two, Le32(384)}), Filled(8, 1)), 0, n + 8, 0,
         -1},
        {"PE header cut short", Concat({Bytes(pe32.begin(), pe32.begin() + 0x60), two, Le32(0x60)}), 0,
         0x60 + 271, 0, 2},
        {"file of 3 bytes", Filled(3, 0), 0, 3, 0, -1},
        {"empty file", {}, 0, 0, 0, -1},
    };
    for (const Case& c : cases) {
        SysFile file = OpenForReading(Write("archive.exe", c.file));
        uint32_t offset, size, table_size;
        EXPECT_EQ(!!ReadCertificateDirectory(file, &offset, &size), c.directory) << c.label;
        EXPECT_EQ(FindLogicalEnd(file, &table_size), c.end) << c.label;
        EXPECT_EQ(table_size, c.table_size) << c.label;
        EXPECT_EQ(CountPieces(file), c.pieces) << c.label;
        SysClose(file);
    }
}

TEST_F(ContainerTest, HeaderFieldsIgnoreBytesAfterNul)
{
    Bytes raw = HeaderBytes(0x12345, "bin\\setup.exe", "Demo 1.0", "");
    std::fill(raw.begin() + 105, raw.end(), 'Z');  // junk after the empty password
    SysFile file = OpenForReading(Write("archive.exe", Concat({kImage, raw, Le32(100)})));
    ArchiveHeader header;
    ASSERT_TRUE(ReadArchiveHeader(file, &header));
    SysClose(file);
    EXPECT_EQ(header.file_count, 0x12345u);
    EXPECT_EQ(header.close_when_done, 1u);
    EXPECT_STREQ(header.setup_program, "bin\\setup.exe");
    EXPECT_STREQ(header.title, "Demo 1.0");
    EXPECT_STREQ(header.password, "");
}

TEST_F(ContainerTest, ReadsRecordOnlyWhenWhole)
{
    Bytes long_name = PieceBytes(ENTRY_CREATE, std::string(47, 'n').c_str(), {});
    Bytes no_nul = long_name;
    no_nul[8 + 47] = 'n';
    struct Case {
        const char* label;
        Bytes file;
        int result;
    } cases[] = {
        {"nothing", {}, RECORD_NONE},
        {"the 4 trailer bytes", Le32(100), RECORD_NONE},
        {"55 bytes", Filled(55, 0), RECORD_NONE},
        {"56 zero bytes", Filled(56, 0), RECORD_READ},
        {"name of 47 characters", long_name, RECORD_READ},
        {"name without NUL", no_nul, RECORD_BAD},
    };
    for (const Case& c : cases) {
        SysFile file = OpenForReading(Write("volume", c.file));
        EntryRecord record;
        EXPECT_EQ(ReadEntryRecord(file, &record), c.result) << c.label;
        SysClose(file);
    }
}

// The walk the worker makes: header, then pieces until a read comes up short,
// then the next volume from its first byte; the same when the executable is
// signed.
TEST_F(ContainerTest, WalksFileSplitOverExecutableAndVolume)
{
    Bytes first = Filled(300, 'a'), second = Filled(200, 'b');
    Bytes executable = Concat({kImage, kHeader, PieceBytes(ENTRY_CREATE, "data.bin", first), Le32(100)});
    Bytes pe = Concat({Image(0x10B), kHeader, PieceBytes(ENTRY_CREATE, "data.bin", first), Le32(384)});
    // The table holds a piece: read as a record, it would stand in for the volume.
    for (const Bytes& file : {executable, Signed(pe, PieceBytes(ENTRY_APPEND | ENTRY_LAST, "data.bin", second))})
        WalkSplitFile(file, first, second);
}

void ContainerTest::WalkSplitFile(const Bytes& executable, const Bytes& first, const Bytes& second)
{
    std::string archive_path = Write("SETUP.EXE", executable);
    char volume_path[SYS_PATH_SIZE];
    ASSERT_TRUE(MakeVolumeName(archive_path.c_str(), 1, volume_path, sizeof volume_path));
    EXPECT_EQ(std::string(volume_path), PathOf("SETUP.E01"));
    Write("SETUP.E01", Concat({PieceBytes(ENTRY_APPEND | ENTRY_LAST, "data.bin", second), Filled(55, 0xEE)}));

    SysFile file = OpenForReading(archive_path);
    ArchiveHeader header;
    ASSERT_TRUE(ReadArchiveHeader(file, &header));
    EntryRecord record;
    Bytes data(PIECE_SIZE_MAX);
    ASSERT_EQ(ReadEntryRecord(file, &record), RECORD_READ);
    EXPECT_EQ(record.flags, (uint32_t)ENTRY_CREATE);
    ASSERT_TRUE(ReadPieceData(file, data.data(), record.size));
    EXPECT_EQ(Bytes(data.begin(), data.begin() + record.size), first);
    EXPECT_EQ(ReadEntryRecord(file, &record), RECORD_NONE);
    SysClose(file);

    file = OpenForReading(volume_path);
    ASSERT_EQ(ReadEntryRecord(file, &record), RECORD_READ);
    EXPECT_EQ(record.flags, (uint32_t)(ENTRY_APPEND | ENTRY_LAST));
    EXPECT_STREQ(record.name, "data.bin");
    ASSERT_TRUE(ReadPieceData(file, data.data(), record.size));
    EXPECT_EQ(Bytes(data.begin(), data.begin() + record.size), second);
    EXPECT_EQ(ReadEntryRecord(file, &record), RECORD_NONE);
    SysClose(file);
}

// The cursor opens volumes by their names; a missing one gives no file.
SysFile OpenExisting(const char* name, void* asked)
{
    static_cast<std::vector<std::string>*>(asked)->push_back(name);
    return SysOpenFile(name, SYS_OPEN_READ);
}

// The cursor's walk: each record's place (volume, piece number, offset of
// the record in its file) and the reason it stops. Records start at 252 in
// SETUP.EXE, after the image and the header, and at 0 in a volume.
TEST_F(ContainerTest, CursorKnowsWhereEachRecordIs)
{
    struct Step {
        int result;
        RecordPlace place;
    };
    const Bytes a = PieceBytes(ENTRY_CREATE, "a", {'1', '2', '3'}), b = PieceBytes(9, "b", {'4'});
    Bytes no_nul = PieceBytes(9, std::string(47, 'n').c_str(), {});
    no_nul[8 + 47] = 'n';
    struct Case {
        const char* label;
        Bytes executable;
        std::vector<Bytes> volumes;  // SETUP.E01, SETUP.E02, ...
        std::vector<Step> steps;
    } cases[] = {
        {"one file",
         Concat({kImage, kHeader, a, b, Le32(100)}),
         {},
         {{CURSOR_READ, {0, 1, 252}}, {CURSOR_READ, {0, 2, 252 + 59}}}},
        {"over two volumes",
         Concat({kImage, kHeader, a, Le32(100)}),
         {PieceBytes(ENTRY_APPEND, "a", {'4'}), b},
         {{CURSOR_READ, {0, 1, 252}}, {CURSOR_READ, {1, 2, 0}}, {CURSOR_READ, {2, 3, 0}}}},
        {"second record in a volume",
         Concat({kImage, kHeader, a, Le32(100)}),
         {Concat({a, b})},
         {{CURSOR_READ, {0, 1, 252}}, {CURSOR_READ, {1, 2, 0}}, {CURSOR_READ, {1, 3, 59}}}},
        {"volume missing",
         Concat({kImage, kHeader, a, Le32(100)}),
         {},
         {{CURSOR_READ, {0, 1, 252}}, {CURSOR_NO_VOLUME, {1, 2, 0}}}},
        {"volume shorter than a record",
         Concat({kImage, kHeader, a, Le32(100)}),
         {Filled(55, 0)},
         {{CURSOR_READ, {0, 1, 252}}, {CURSOR_SHORT_VOLUME, {1, 2, 0}}}},
        {"name without NUL in a volume",
         Concat({kImage, kHeader, a, Le32(100)}),
         {no_nul},
         {{CURSOR_READ, {0, 1, 252}}, {CURSOR_BAD_NAME, {1, 2, 0}}}},
        {"name without NUL in the executable",
         Concat({kImage, kHeader, a, no_nul, Le32(100)}),
         {},
         {{CURSOR_READ, {0, 1, 252}}, {CURSOR_BAD_NAME, {0, 2, 252 + 59}}}},
    };
    for (const Case& c : cases) {
        for (unsigned volume = 1; volume <= 2; volume++) {
            std::string name = "SETUP.E0" + std::to_string(volume);
            if (volume <= c.volumes.size())
                Write(name, c.volumes[volume - 1]);
            else
                std::remove(PathOf(name).c_str());
        }
        std::string archive = Write("SETUP.EXE", c.executable);
        RecordCursor cursor = {OpenForReading(archive), {0, 0, 0}, {}};
        ArchiveHeader header;
        ASSERT_TRUE(ReadArchiveHeader(cursor.file, &header)) << c.label;
        std::vector<std::string> asked;
        unsigned char data[16];
        for (const Step& step : c.steps) {
            int result = NextRecord(&cursor, archive.c_str(), OpenExisting, &asked);
            EXPECT_EQ(result, step.result) << c.label << ", piece " << step.place.piece;
            EXPECT_EQ(cursor.place.volume, step.place.volume) << c.label << ", piece " << step.place.piece;
            EXPECT_EQ(cursor.place.piece, step.place.piece) << c.label;
            EXPECT_EQ(cursor.place.offset, step.place.offset) << c.label << ", piece " << step.place.piece;
            if (result == CURSOR_READ) {
                EXPECT_TRUE(ReadPieceData(cursor.file, data, cursor.record.size)) << c.label;
            }
        }
        for (size_t i = 0; i < asked.size(); i++)
            EXPECT_EQ(asked[i], PathOf("SETUP.E0" + std::to_string(i + 1))) << c.label;
        if (cursor.file != SYS_NO_FILE)
            SysClose(cursor.file);
    }
}

TEST_F(ContainerTest, SinglePieceEndsRightBeforeTrailer)
{
    SysFile file = OpenForReading(Write("archive.exe", Concat({kImage, kHeader, kSinglePiece, Le32(100)})));
    ArchiveHeader header;
    EntryRecord record;
    char data[8];
    ASSERT_TRUE(ReadArchiveHeader(file, &header));
    ASSERT_EQ(ReadEntryRecord(file, &record), RECORD_READ);
    EXPECT_EQ(record.flags, 9u);
    ASSERT_EQ(record.size, 5u);
    ASSERT_TRUE(ReadPieceData(file, data, record.size));
    EXPECT_EQ(ReadEntryRecord(file, &record), RECORD_NONE);  // the 4 trailer bytes
    SysClose(file);
}

TEST_F(ContainerTest, PieceDataMustBeWhole)
{
    SysFile file = OpenForReading(Write("volume", Filled(9, 'x')));
    char data[16];
    EXPECT_FALSE(ReadPieceData(file, data, 10));
    EXPECT_EQ(SysSeek(file, 0, SYS_SEEK_START), 0);
    EXPECT_TRUE(ReadPieceData(file, data, 9));
    EXPECT_TRUE(ReadPieceData(file, data, 0));
    SysClose(file);
}

TEST(VolumeName, FollowsArchiveName)
{
    // Longest names that fit 260 bytes: 2 + 5 + 248 + 4 characters.
    const std::string longest = "C:\\dir\\" + std::string(248, 'b') + ".EXE";
    const std::string longest_first = longest.substr(0, longest.size() - 2) + "01";
    const std::string cut_directory = "C:\\" + std::string(254, 'd') + "\\S.EXE";
    struct Case {
        std::string path;
        unsigned volume;
        unsigned out_size;
        const char* expected;  // null: no name
    } cases[] = {
        {"SETUP.EXE", 1, 260, "SETUP.E01"},
        {"SETUP.EXE", 2, 260, "SETUP.E02"},
        {"SETUP.EXE", 99, 260, "SETUP.E99"},
        {"SETUP.EXE", 100, 260, "SETUP.E100"},
        {"SETUP.EXE", 4294967295u, 260, "SETUP.E4294967295"},
        {"SETUP.EXX", 1, 260, "SETUP.E01"},
        {"SETUP", 1, 260, "SETUP01"},
        {"SETUP.", 7, 260, "SETUP.07"},
        {"SETUP.E", 3, 260, "SETUP.E03"},
        {"C:\\DIST\\SETUP.EXE", 1, 260, "C:\\DIST\\SETUP.E01"},
        {"C:SETUP.EXE", 1, 260, "C:SETUP.E01"},
        {"C:\\A.B\\SETUP", 12, 260, "C:\\A.B\\SETUP12"},
        {"/srv/x/setup.tar.gz", 4, 260, "/srv/x/setup.tar.g04"},
        {"D:\\x\\.hidden", 1, 260, "D:\\x\\.h01"},
        {"SETUP.EXE", 1, 10, "SETUP.E01"},
        {"SETUP.EXE", 1, 9, nullptr},
        {"SETUP.EXE", 1, 0, nullptr},
        {longest, 1, 260, longest_first.c_str()},
        {longest, 100, 260, nullptr},
        {cut_directory, 1, 300, nullptr},
    };
    ASSERT_EQ(longest_first.size(), 259u);

    for (const Case& c : cases) {
        char out[320];
        memset(out, '#', sizeof out);
        int ok = MakeVolumeName(c.path.c_str(), c.volume, out, c.out_size);
        if (c.expected) {
            EXPECT_TRUE(ok) << c.path << " " << c.volume;
            EXPECT_STREQ(out, c.expected);
        } else {
            EXPECT_FALSE(ok) << c.path << " " << c.volume << " in " << c.out_size;
        }
        EXPECT_EQ(out[c.out_size], '#') << "wrote past the buffer: " << c.path;
    }
}

}  // namespace
