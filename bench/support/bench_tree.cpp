#include "bench/support/bench_tree.h"

#include "tests/support/archive_writer.h"

#include <sys/wait.h>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

// xorshift: the same bytes on every machine.
struct Random {
    uint64_t state;
    uint64_t Next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
};

// Words with numbers, like source or logs, compressing about 2.5:1. Word
// frequencies follow Zipf's law, as in real text: a few common words and a
// long tail of rarer identifiers.
std::string TextLike(size_t size, Random& random)
{
    static const char* const common[] = {
        "the",   "of",    "and",    "a",      "to",     "in",      "is",        "if",       "int",
        "for",   "char",  "const",  "void",   "else",   "file",    "setup",     "while",    "value",
        "error", "piece", "return", "struct", "volume", "archive", "directory", "installer"};
    static const std::vector<std::string> vocabulary = [] {
        std::vector<std::string> words(std::begin(common), std::end(common));
        Random spelling{0x2545F4914F6CDD1Dull};
        while (words.size() < 1000) {
            std::string word(3 + spelling.Next() % 8, ' ');
            for (char& letter : word)
                letter = static_cast<char>('a' + spelling.Next() % 26);
            words.push_back(word);
        }
        return words;
    }();
    static const std::vector<double> cumulative = [] {  // word i has weight 1 / (i + 1)
        std::vector<double> sums;
        double sum = 0;
        for (size_t i = 0; i < vocabulary.size(); i++)
            sums.push_back(sum += 1.0 / double(i + 1));
        return sums;
    }();
    std::string text;
    text.reserve(size + 32);
    while (text.size() < size) {
        uint64_t r = random.Next();
        double drawn = double(r >> 11) / double(1ull << 53) * cumulative.back();
        size_t word = std::upper_bound(cumulative.begin(), cumulative.end(), drawn) - cumulative.begin();
        text += vocabulary[std::min(word, vocabulary.size() - 1)];
        text += r % 7 == 0 ? "\n" : r % 5 == 0 ? " = " + std::to_string(r % 100000) + "; " : " ";
    }
    text.resize(size);
    return text;
}

// Runs of repeated records, small counters and noise: like executables and
// databases, compressing far less than text; a quarter of it incompressible.
std::string BinaryLike(size_t size, Random& random)
{
    std::string data(size, '\0');
    for (size_t at = 0; at < size;) {
        uint64_t r = random.Next();
        size_t run = std::min<size_t>(size - at, 64 + r % 4096);
        switch (r >> 62) {
        case 0:  // noise
            for (size_t i = 0; i < run; i++)
                data[at + i] = static_cast<char>(random.Next());
            break;
        case 1:  // a table of little-endian counters
            for (size_t i = 0; i < run; i++)
                data[at + i] = static_cast<char>(i % 4 == 0 ? (i / 4 + r) & 0xFF : 0);
            break;
        default:  // a repeated 16-byte record with a changing byte
            for (size_t i = 0; i < run; i++)
                data[at + i] = static_cast<char>(i % 16 == 3 ? random.Next() : (r >> (i % 16 * 4)) & 0x7F);
            break;
        }
        at += run;
    }
    return data;
}

}  // namespace

static uint64_t MakeTree(const fs::path& root, uint64_t megabytes)
{
    Random random{0x9E3779B97F4A7C15ull};
    uint64_t total = 0, target = megabytes << 20;
    fs::create_directories(root / "small");
    std::ofstream(root / "setup.exe", std::ios::binary) << WindowsProgram(1000);
    for (unsigned i = 0; total < target; i++) {
        fs::path path;
        std::string data;
        if (i % 10 == 9) {  // a batch of small files
            for (unsigned j = 0; j < 100; j++) {
                data = TextLike(4096 + random.Next() % 16384, random);
                std::ofstream(root / "small" / ("f" + std::to_string(i) + "_" + std::to_string(j) + ".txt"),
                              std::ios::binary)
                    << data;
                total += data.size();
            }
            continue;
        }
        size_t size = (1 << 20) + random.Next() % (8 << 20);
        data = i % 2 ? TextLike(size, random) : BinaryLike(size, random);
        std::ofstream(root / ("file" + std::to_string(i) + (i % 2 ? ".txt" : ".bin")), std::ios::binary)
            << data;
        total += data.size();
    }
    return total;
}

// Runs command through the shell; returns wall-clock seconds.
double Time(const std::string& command)
{
    auto start = std::chrono::steady_clock::now();
    int status = std::system(command.c_str());
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
    return seconds;
}

BenchInput MakeInput(int argc, char** argv)
{
    uint64_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 240;
    BenchInput input;
    input.work = input.scratch.path();
    input.tree = input.work / "tree";
    std::fprintf(stderr, "generating %llu MB in %s ...\n", static_cast<unsigned long long>(megabytes),
                 input.tree.c_str());
    input.bytes = MakeTree(input.tree, megabytes);
    input.stub = input.work / "stub.exe";
    std::ofstream(input.stub, std::ios::binary) << WindowsProgram(1000);
    return input;
}
