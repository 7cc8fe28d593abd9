// Writes the seed corpora of the fuzz targets with the tests' one archive
// writer: a few valid inputs and the edges around them. The output is
// deterministic. Usage: make_corpus FUZZ_DIR (the fuzz/ folder).
#include <stdio.h>
#include <zlib.h>

#include <map>
#include <string>

#include "archive/format.h"
#include "tests/support/archive_writer.h"

namespace {

std::string Le32Of(uint32_t value)
{
    unsigned char bytes[4];
    WriteLe32(bytes, value);
    return std::string((const char*)bytes, 4);
}

std::string Compress(const std::string& plain)
{
    uLongf size = compressBound(plain.size());
    std::string out(size, '\0');
    compress2((Bytef*)out.data(), &size, (const Bytef*)plain.data(), plain.size(), 6);
    out.resize(size);
    return out;
}

std::string Stored(unsigned char method, const std::string& payload, unsigned char marker = BLOCK_MARKER)
{
    return Block(marker, method, (int32_t)payload.size(), payload);
}

std::string Zblock(const std::string& plain)
{
    return Stored(METHOD_ZLIB, Compress(plain));
}

std::string Repeat(const std::string& text, size_t times)
{
    std::string out;
    while (times--)
        out += text;
    return out;
}

// The worker target's input: the executable's length, the executable, its first volume.
std::string ForWorker(const std::string& exe, const std::string& volume = "")
{
    return Le32Of((uint32_t)exe.size()) + exe + volume;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make_corpus FUZZ_DIR\n");
        return 1;
    }
    const std::string text = Repeat("soubor archiv blok data instalace\n", 40);
    std::string pattern(320000, '\0');
    for (size_t i = 0; i < pattern.size(); i++)
        pattern[i] = (char)(i % 251);
    std::map<std::string, std::string> seeds = {
        {"archive/block_decoder/corpus/empty", ""},
        {"archive/block_decoder/corpus/one_zlib_block", Zblock(text)},
        {"archive/block_decoder/corpus/zlib_and_stored", Zblock(text.substr(0, 700)) +
                                                             Stored(0, "stored bytes") +
                                                             Stored(255, std::string("\x00\x01\x02", 3))},
        {"archive/block_decoder/corpus/plain_320000", Zblock(pattern)},
        {"archive/block_decoder/corpus/length_zero_then_block", Zblock("abc") + Stored(1, "") + Zblock(text)},
        {"archive/block_decoder/corpus/header_then_end", Zblock("abc") + Block(BLOCK_MARKER, 1, 100, "")},
        {"archive/block_decoder/corpus/payload_cut_short",
         Zblock("abc") + Stored(1, Compress(text)).substr(0, 40)},
        {"archive/block_decoder/corpus/wrong_marker", Zblock("abc") + Stored(1, Compress("def"), 0x67)},
        {"archive/block_decoder/corpus/negative_length",
         Zblock("abc") + Block(BLOCK_MARKER, 1, -2, "\x78\x9c")},
        {"archive/block_decoder/corpus/wrong_adler",
         Stored(1, Compress(text).substr(0, Compress(text).size() - 1) + std::string(1, '\0'))},
        {"archive/block_decoder/corpus/empty_stream", Stored(1, Compress(""))},
        {"archive/block_decoder/corpus/trailing_after_stream", Stored(1, Compress(text) + "\x66\x01junk")},
        {"archive/block_decoder/corpus/five_bytes", std::string("\x66\x01\x10\x00\x00", 5)},
    };

    // The container target: the leading 4 bytes and the text up to the
    // first NUL double as a volume number and an archive path.
    const std::string image = Le32Of(1) + std::string("C:\\DIST\\SETUP.EXE\0MZ", 20);
    auto archive = [&image](const std::string& pieces, uint32_t count = 1, const std::string& password = "") {
        return InstallerWithStub(image, Header(count, 1, "setup.exe", "Demo", password), pieces);
    };
    seeds["archive/container/corpus/single_piece_flags_9"] = archive(Piece(9, "setup.exe", "hello"));
    seeds["archive/container/corpus/create_append_last"] =
        archive(Piece(1, "data.bin", std::string(300, 'a')) + Piece(10, "data.bin", std::string(200, 'b')));
    seeds["archive/container/corpus/block_file_and_dirs"] =
        archive(Piece(1, "bin\\x.ini", "[x]\n") + Piece(9, "bin\\lib\\y.dll.xxx", Zblock(text)), 2);
    seeds["archive/container/corpus/password_junk_after_nul"] =
        archive(Piece(9, "a", ""), 1, std::string("\0junk", 5));
    seeds["archive/container/corpus/volume_100_no_extension"] = InstallerWithStub(
        Le32Of(100) + std::string("/srv/setup\0", 11), Header(1, 1, "setup.exe", "Demo"), Piece(9, "a", "z"));
    seeds["archive/container/corpus/header_without_nul"] =
        InstallerWithStub(image, Header(1, 1, "setup.exe", std::string(48, 'D')), "");
    seeds["archive/container/corpus/trailer_past_end"] = image + Le32Of(0x10000);
    seeds["archive/container/corpus/volume_pieces_and_tail"] =
        Piece(2, "data.bin", std::string(100, 'c')) + std::string(55, '\xee');
    seeds["archive/container/corpus/three_bytes"] = std::string("\x01\x00\x00", 3);

    // Signed executables: a PE image of 384 bytes with 16 empty data
    // directories (magic 0x10B: PE32, 0x20B: PE32+), then the archive, then
    // a certificate table that the security directory names.
    auto pe_image = [](uint16_t magic) {
        size_t directories = magic == 0x10B ? 96 : 112;
        std::string optional = std::string{(char)(magic & 0xFF), (char)(magic >> 8)};
        optional.resize(directories - 4, '\0');
        optional += Le32Of(16) + std::string(128, '\0');
        std::string pe = std::string("PE\0\0\x4c\x01", 6) + std::string(14, '\0');
        pe += std::string{(char)optional.size(), (char)(optional.size() >> 8), 0, 0};
        std::string head = "MZ";
        head.resize(0x3C, '\0');
        std::string result = head + Le32Of(0x40) + pe + optional;
        result.resize(384, '\0');
        return result;
    };
    auto sign = [](std::string installer, const std::string& table) {
        size_t entry = 0x40 + 24 + (installer[0x40 + 25] == 0x01 ? 96 : 112) + 4 * 8;
        installer.replace(entry, 8, Le32Of((uint32_t)installer.size()) + Le32Of((uint32_t)table.size()));
        return installer + table;
    };
    auto on_image = [](const std::string& stub, const std::string& pieces) {
        return InstallerWithStub(stub, Header(1, 1, "setup.exe", "Demo", ""), pieces);
    };
    seeds["archive/container/corpus/signed_pe32"] =
        sign(on_image(pe_image(0x10B), Piece(9, "setup.exe", "hello")), Piece(9, "x", ""));
    std::string padded = on_image(pe_image(0x20B), Piece(9, "setup.exe", "hi"));
    padded = padded.substr(0, padded.size() - 4) + std::string(2, '\0') + Le32Of(384);
    seeds["archive/container/corpus/signed_pe32_plus_padded"] = sign(padded, std::string(1024, '\x5a'));

    // The worker target.
    const std::string mz = "MZ a stand-in for the stub";
    auto installer = [&mz](const std::string& pieces, uint32_t count = 1,
                           const std::string& setup = "setup.exe", const std::string& password = "") {
        return InstallerWithStub(mz, Header(count, 1, setup, "Demo", password), pieces);
    };
    std::string zsetup = Zblock(text);
    std::string two = installer(Piece(1, "setup.exe", "MZ") + Piece(1, "a", "1"), 2);
    seeds["worker/corpus/one_piece"] = ForWorker(installer(Piece(9, "setup.exe", "MZ")));
    seeds["worker/corpus/dirs_and_block_file"] =
        ForWorker(installer(Piece(1, "setup.exe", "MZ") + Piece(1, "bin\\x.ini", "[x]\n") +
                                Piece(9, "bin\\y.dll.xxx", Zblock(text)),
                            3));
    seeds["worker/corpus/block_setup_append"] = ForWorker(installer(
        Piece(1, "setup.exe.xxx", zsetup.substr(0, 30)) + Piece(10, "setup.exe.xxx", zsetup.substr(30)), 1,
        "setup.exe.xxx"));
    seeds["worker/corpus/password"] =
        ForWorker(installer(Piece(9, "setup.exe", "MZ"), 1, "setup.exe", "Tajne"));
    seeds["worker/corpus/into_volume"] =
        ForWorker(two.substr(0, two.size() - 4) + std::string(10, '\0') + Le32Of((uint32_t)mz.size()),
                  Piece(2, "a", "2") + Piece(8, "a", ""));
    seeds["worker/corpus/climbing_name"] =
        ForWorker(installer(Piece(1, "in\\ok", "x") + Piece(9, "..\\evil", "evil"), 2));
    seeds["worker/corpus/neither_bit"] = ForWorker(installer(Piece(1, "a", "abc") + Piece(8, "a", "d")));
    seeds["worker/corpus/bad_block_file"] =
        ForWorker(installer(Piece(9, "a.xxx", std::string("g\1\1\0\0\0x", 7))));
    seeds["worker/corpus/two_levels"] = ForWorker(installer(Piece(9, "a\\b\\c", "x")));

    for (const auto& [name, bytes] : seeds) {
        std::string path = std::string(argv[1]) + "/" + name;
        FILE* out = fopen(path.c_str(), "wb");
        if (!out || fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || fclose(out) != 0) {
            fprintf(stderr, "make_corpus: cannot write %s\n", path.c_str());
            return 2;
        }
    }
    return 0;
}
