// Decodes a block file of realistic mixed data (at least 100 MB plain, laid
// out as the builder writes it) with DecodeBlockFile and the builder's batch
// decoder (tools/rozbal/batch_decoder.h), and the same blocks
// from memory with plain zlib uncompress, both the system's zlib (-O2) and
// the stubs' inflater (-Os, under z_ names here), and prints the
// throughputs and their ratios. The best of several rounds counts, in alternating order, so
// that neither side profits from a warmer cache. Both wall time and the
// thread's CPU time (user and system) are taken: on a shared machine the CPU
// time is the steadier figure.
#include "archive/block_decoder.h"
#include "archive/format.h"
#include "tests/support/temp_dir.h"
#include "tools/rozbal/batch_decoder.h"

#include <zlib.h>

#include <stdlib.h>
#include <time.h>
#include <string.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// The stubs' inflater (cmake/inflate.cmake), built with Z_PREFIX.
extern "C" int z_uncompress(Bytef* dest, uLongf* dest_len, const Bytef* source, uLong source_len);

namespace {

using Bytes = std::vector<unsigned char>;
using Clock = std::chrono::steady_clock;

const int kRounds = 7;

struct Random {
    uint64_t state;
    uint32_t Next()
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return (uint32_t)(state >> 33);
    }
};

// Text like a program's resources and documents: words, numbers, lines.
void AppendText(Random& random, Bytes& out, size_t size)
{
    static const char* const words[] = {"instalace", "soubor", "adresar", "the", "of", "program",
                                        "Windows", "nastaveni", "verze", "uzivatel", "=", "data",
                                        "<div>", "</div>", "function", "return", "if", "value"};
    size_t end = out.size() + size;
    while (out.size() < end) {
        uint32_t pick = random.Next();
        if (pick % 13 == 0) {
            std::string number = std::to_string(random.Next() % 100000);
            out.insert(out.end(), number.begin(), number.end());
        } else {
            const char* word = words[pick % (sizeof words / sizeof *words)];
            out.insert(out.end(), word, word + strlen(word));
        }
        out.push_back(pick % 9 == 0 ? '\n' : ' ');
    }
    out.resize(end);
}

// Binary like machine code and tables: small integers, repeated opcodes,
// pointers that share their high bytes, and some noise.
void AppendBinary(Random& random, Bytes& out, size_t size)
{
    static const unsigned char opcodes[] = {0x8B, 0x89, 0xE8, 0x55, 0x5D, 0xC3, 0x83, 0xFF, 0x74, 0x75};
    size_t end = out.size() + size;
    while (out.size() < end) {
        uint32_t pick = random.Next();
        switch (pick % 4) {
        case 0: out.push_back(opcodes[(pick >> 8) % sizeof opcodes]); break;
        case 1: out.push_back((unsigned char)((pick >> 8) % 16)); break;
        case 2:
            for (unsigned char byte : {(unsigned char)(pick >> 8), (unsigned char)(pick >> 16), (unsigned char)0x40, (unsigned char)0x00})
                out.push_back(byte);
            break;
        default: out.push_back((unsigned char)(pick >> 12)); break;
        }
    }
    out.resize(end);
}

Bytes MixedData(size_t size)
{
    Random random{20261208};
    Bytes data;
    data.reserve(size);
    while (data.size() < size) {
        size_t part = std::min<size_t>(size - data.size(), 64 * 1024 + random.Next() % (512 * 1024));
        if (random.Next() % 2)
            AppendText(random, data, part);
        else
            AppendBinary(random, data, part);
    }
    return data;
}

// Cuts plain into 32000-byte pieces, each one level-6 zlib stream.
std::vector<Bytes> CompressBlocks(const Bytes& plain)
{
    std::vector<Bytes> streams;
    for (size_t at = 0; at < plain.size(); at += BLOCK_PAYLOAD_MAX) {
        uLong length = (uLong)std::min<size_t>(BLOCK_PAYLOAD_MAX, plain.size() - at);
        uLongf size = compressBound(length);
        Bytes stream(size);
        if (compress2(stream.data(), &size, plain.data() + at, length, 6) != Z_OK || size > BLOCK_PAYLOAD_MAX) {
            fprintf(stderr, "block %zu does not compress into one payload\n", streams.size());
            exit(1);
        }
        stream.resize(size);
        streams.push_back(std::move(stream));
    }
    return streams;
}

void WriteBlockFile(const std::string& path, const std::vector<Bytes>& streams)
{
    std::ofstream out(path, std::ios::binary);
    for (const Bytes& stream : streams) {
        unsigned char header[BLOCK_HEADER_SIZE] = {BLOCK_MARKER, METHOD_ZLIB};
        WriteLe32(header + 2, (uint32_t)stream.size());
        out.write((const char*)header, sizeof header);
        out.write((const char*)stream.data(), (std::streamsize)stream.size());
    }
    if (!out) {
        fprintf(stderr, "cannot write %s\n", path.c_str());
        exit(1);
    }
}

struct Times {
    double wall = 1e9, cpu = 1e9;
};

double CpuNow()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// Times one run of work and keeps the best figures in *best.
template <class Work>
void Measure(Times* best, Work work)
{
    Clock::time_point wall = Clock::now();
    double cpu = CpuNow();
    work();
    best->cpu = std::min(best->cpu, CpuNow() - cpu);
    best->wall = std::min(best->wall, std::chrono::duration<double>(Clock::now() - wall).count());
}

using Uncompress = int (*)(Bytef*, uLongf*, const Bytef*, uLong);

void TimePlainZlib(Times* best, Uncompress decode, const std::vector<Bytes>& streams, size_t plain_size)
{
    static unsigned char output[BLOCK_PLAIN_MAX];
    size_t total = 0;
    Measure(best, [&] {
        for (const Bytes& stream : streams) {
            uLongf length = BLOCK_PLAIN_MAX;
            if (decode(output, &length, stream.data(), (uLong)stream.size()) != Z_OK)
                exit(1);
            total += length;
        }
    });
    if (total != plain_size)
        exit(1);
}

// The plain file of the round before is removed first: as in an
// installation, the decoder creates a new file rather than emptying one.
void TimeDecoder(Times* best, const std::string& block_path, const std::string& plain_path, size_t plain_size)
{
    std::filesystem::remove(plain_path);
    int result = 0;
    Measure(best, [&] { result = DecodeBlockFile(block_path.c_str(), plain_path.c_str()); });
    if (result != 1 || std::filesystem::file_size(plain_path) != plain_size) {
        fprintf(stderr, "DecodeBlockFile failed\n");
        exit(1);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    size_t megabytes = argc > 1 ? (size_t)atoi(argv[1]) : 100;
    size_t plain_size = std::max<size_t>(megabytes, 1) * 1000 * 1000;
    TempDir scratch;
    std::string block_path = (scratch / "data.bin.xxx").string(),
                plain_path = (scratch / "data.bin").string();
    g_block_decoder = &g_libdeflate_blocks;

    Bytes plain = MixedData(plain_size);
    std::vector<Bytes> streams = CompressBlocks(plain);
    WriteBlockFile(block_path, streams);
    size_t block_size = std::filesystem::file_size(block_path);
    printf("plain %.1f MB in %zu blocks, block file %.1f MB (%.1f%%)\n", plain_size / 1e6, streams.size(),
           block_size / 1e6, 100.0 * block_size / plain_size);

    Times zlib, small, decoder;
    for (int round = 0; round < kRounds; round++) {
        if (round % 2)
            TimePlainZlib(&zlib, uncompress, streams, plain_size);
        TimePlainZlib(&small, z_uncompress, streams, plain_size);
        TimeDecoder(&decoder, block_path, plain_path, plain_size);
        if (round % 2 == 0)
            TimePlainZlib(&zlib, uncompress, streams, plain_size);
    }

    printf("%-32s %12s %12s\n", "MB/s, best of each", "wall", "CPU");
    printf("%-32s %12.1f %12.1f\n", "plain zlib uncompress (memory)", plain_size / zlib.wall / 1e6,
           plain_size / zlib.cpu / 1e6);
    printf("%-32s %12.1f %12.1f\n", "stub inflater -Os (memory)", plain_size / small.wall / 1e6,
           plain_size / small.cpu / 1e6);
    printf("%-32s %12.1f %12.1f\n", "DecodeBlockFile (file to file)", plain_size / decoder.wall / 1e6,
           plain_size / decoder.cpu / 1e6);
    printf("%-32s %12.3f %12.3f\n", "ratio decoder / zlib", zlib.wall / decoder.wall, zlib.cpu / decoder.cpu);
    printf("%-32s %12.3f %12.3f\n", "ratio stub inflater / zlib", zlib.wall / small.wall, zlib.cpu / small.cpu);
    return 0;
}
