// Unpacks the same deterministic tree of mixed data two ways: rozbal extract
// of an installer packed with --compress-all at the default level, and
// tar -xzf of a tarball packed by gzip -6. Prints wall-clock seconds and
// throughputs, best of three rounds in alternating order, and the ratio.
// Every run writes a new directory and nothing is deleted until the end: on
// a file system without a journal, ext4 passes over inodes freed in the last
// one to five minutes when it creates a file, so deleting one run's files
// would slow the next run's creations. rozbal's block files, deleted at the
// end of its run, still slow the runs after it there; tmpfs
// (TMPDIR=/dev/shm) measures without that.
//
// usage: bench_extract [MEGABYTES]   (default 240)
#include "bench/support/bench_tree.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    BenchInput made = MakeInput(argc, argv);
    const fs::path &work = made.work, &tree = made.tree, &stub = made.stub;
    uint64_t input = made.bytes;
    std::string w = work.string();
    std::fprintf(stderr, "packing ...\n");
    Time(ROZBAL_BINARY " pack -q --compress-all --stub '" + stub.string() + "' --setup setup.exe '" +
         tree.string() + "' -o '" + w + "/SETUP.EXE'");
    Time("tar -cf - -C '" + tree.string() + "' . | gzip -6 > '" + w + "/tree.tar.gz'");

    struct Run {
        const char* name;
        std::string command;  // then the output directory
        double best = 1e9;
    } runs[] = {
        {"tar -xzf (gzip -6)", "tar -xzf '" + w + "/tree.tar.gz' -C "},
        {"rozbal extract", ROZBAL_BINARY " extract -q '" + w + "/SETUP.EXE' "},
    };
    for (int round = 0; round < 3; round++) {
        for (int i = 0; i < 2; i++) {
            int which = round % 2 ? 1 - i : i;
            std::string out = w + "/out" + std::to_string(round) + std::to_string(which);
            fs::create_directory(out);
            Time("sync");
            runs[which].best = std::min(runs[which].best, Time(runs[which].command + "'" + out + "'"));
        }
    }
    std::printf("input: %.1f MB; archives: SETUP.EXE %.1f MB, tree.tar.gz %.1f MB\n", input / 1e6,
                fs::file_size(work / "SETUP.EXE") / 1e6, fs::file_size(work / "tree.tar.gz") / 1e6);
    std::printf("%-24s %9s %10s\n", "", "seconds", "MB/s");
    for (const Run& run : runs)
        std::printf("%-24s %9.2f %10.1f\n", run.name, run.best, input / 1e6 / run.best);
    std::printf("rozbal extract / tar -xzf speed: %.2fx (goal: at least 2.0x)\n",
                runs[0].best / runs[1].best);
    return 0;
}
