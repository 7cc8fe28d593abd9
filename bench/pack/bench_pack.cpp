// Packs a deterministic tree of mixed data with rozbal pack --compress-all
// and compresses the same tree with gzip -6 and pigz -6, each fed by tar and
// writing its output to a file on the same disk, and prints wall-clock
// throughputs, the ratio of rozbal's throughput to pigz's on the same cores,
// and the sizes of the tree's 32000-byte blocks at rozbal's levels 6 and 12
// against zlib's 6 and 9, block for block, for the generated tree and for
// each DIR given (real files: the generated text is harder on level 6).
//
// usage: bench_pack [MEGABYTES [DIR...]]   (default 240; at least 200 is meaningful)
#include "archive/format.h"
#include "bench/support/bench_tree.h"
#include "tools/rozbal/block_encoder.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The size of a file's block file with zlib at `level`: each 32000-byte
// piece one stream, stored when the stream would not fit, as pack does.
uint64_t ZlibBlocks(const std::vector<unsigned char>& plain, int level)
{
    uint64_t total = 0;
    std::vector<unsigned char> out(compressBound(BLOCK_PAYLOAD_MAX));
    for (size_t done = 0; done < plain.size(); done += BLOCK_PAYLOAD_MAX) {
        uLong piece = std::min<size_t>(plain.size() - done, BLOCK_PAYLOAD_MAX);
        uLongf length = out.size();
        if (compress2(out.data(), &length, plain.data() + done, piece, level) != Z_OK) {
            std::fprintf(stderr, "zlib failed\n");
            std::exit(1);
        }
        total += BLOCK_HEADER_SIZE + (length > BLOCK_PAYLOAD_MAX ? piece : length);
    }
    return total;
}

// Block-file sizes of the whole tree: rozbal at 6 and 12, zlib at 6 and 9.
struct Sizes {
    uint64_t rozbal6 = 0, rozbal12 = 0, zlib6 = 0, zlib9 = 0;
};

Sizes BlockSizes(const fs::path& tree)
{
    Sizes sizes;
    BlockEncoder level6(6), level12(12);
    std::vector<unsigned char> blocks;
    for (const auto& entry :
         fs::recursive_directory_iterator(tree, fs::directory_options::skip_permission_denied)) {
        if (!entry.is_regular_file() || entry.is_symlink())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<unsigned char> plain((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        blocks.clear();
        level6.Encode(plain.data(), plain.size(), blocks);
        sizes.rozbal6 += blocks.size();
        blocks.clear();
        level12.Encode(plain.data(), plain.size(), blocks);
        sizes.rozbal12 += blocks.size();
        sizes.zlib6 += ZlibBlocks(plain, 6);
        sizes.zlib9 += ZlibBlocks(plain, 9);
    }
    return sizes;
}

}  // namespace

int main(int argc, char** argv)
{
    BenchInput made = MakeInput(argc, argv);
    const fs::path &work = made.work, &tree = made.tree, &stub = made.stub;
    uint64_t input = made.bytes;

    std::string w = work.string(), t = tree.string();
    Time("tar -cf - -C '" + t + "' . > /dev/null");  // warm the page cache
    unsigned cores = std::thread::hardware_concurrency();
    std::string pack =
        ROZBAL_BINARY " pack -q --compress-all --stub '" + stub.string() + "' --setup setup.exe '" + t + "'";
    struct Run {
        std::string name, command, output;
        double seconds = 0;
    } runs[] = {
        {"tar only (baseline)", "tar -cf - -C '" + t + "' . > '" + w + "/out.tar'", w + "/out.tar"},
        {"gzip -6 (1 thread)", "tar -cf - -C '" + t + "' . | gzip -6 > '" + w + "/out.gz'", w + "/out.gz"},
        {"rozbal --threads 1", pack + " --threads 1 -o '" + w + "/SETUP1.EXE'", w + "/SETUP1.EXE"},
        {"pigz -6 (" + std::to_string(cores) + " threads)",
         "tar -cf - -C '" + t + "' . | pigz -6 > '" + w + "/out.pz'", w + "/out.pz"},
        {"rozbal (" + std::to_string(cores) + " threads)", pack + " -o '" + w + "/SETUP.EXE'",
         w + "/SETUP.EXE"},
    };
    std::printf("input: %.1f MB in %s\n", input / 1e6, t.c_str());
    std::printf("%-24s %9s %10s %8s\n", "", "seconds", "MB/s", "ratio");
    for (Run& run : runs) {
        run.seconds = Time(run.command);
        double ratio = double(fs::file_size(run.output)) / double(input);
        std::printf("%-24s %9.2f %10.1f %8.3f\n", run.name.c_str(), run.seconds, input / 1e6 / run.seconds,
                    ratio);
        std::fflush(stdout);
        fs::remove(run.output);
    }
    std::printf("rozbal / pigz -6 throughput, %u threads: %.2fx (goal: at least 2.0x)\n", cores,
                runs[3].seconds / runs[4].seconds);
    std::printf("rozbal / gzip -6 throughput, 1 thread:  %.2fx\n", runs[1].seconds / runs[2].seconds);

    std::vector<fs::path> trees = {tree};
    trees.insert(trees.end(), argv + std::min(argc, 2), argv + argc);
    for (const fs::path& measured : trees) {
        std::fprintf(stderr, "compressing the blocks of %s at four levels ...\n", measured.c_str());
        Sizes sizes = BlockSizes(measured);
        std::printf("%s:\n", measured == tree ? "generated tree" : measured.c_str());
        std::printf("  blocks: rozbal level 6 %llu bytes, zlib level 6 %llu bytes: %.4f (goal: at most 1)\n",
                    static_cast<unsigned long long>(sizes.rozbal6),
                    static_cast<unsigned long long>(sizes.zlib6),
                    double(sizes.rozbal6) / double(sizes.zlib6));
        std::printf("  blocks: rozbal level 12 %llu bytes, zlib level 9 %llu bytes: %.4f (goal: below 1)\n",
                    static_cast<unsigned long long>(sizes.rozbal12),
                    static_cast<unsigned long long>(sizes.zlib9),
                    double(sizes.rozbal12) / double(sizes.zlib9));
    }
    fs::remove_all(work);
    return 0;
}
