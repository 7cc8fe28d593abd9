#include "tools/rozbal/layout.h"

#include "archive/format.h"
#include "tools/rozbal/errors.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

// Keeps what a layout produced: per file of the set, its pieces.
struct RecordingSink : PieceSink {
    struct Written {
        uint32_t flags;
        std::string name;
        std::string data;
    };
    std::vector<std::vector<Written>> files{1};

    void WritePiece(uint32_t flags, const std::string& name, const unsigned char* data, uint32_t size) override
    {
        files.back().push_back({flags, name, std::string(reinterpret_cast<const char*>(data), size)});
    }
    void StartVolume() override { files.emplace_back(); }

    // "flags:size" of every piece, files separated by " | ".
    std::string Summary() const
    {
        std::string text;
        for (size_t f = 0; f < files.size(); f++) {
            if (f > 0)
                text += " | ";
            for (size_t p = 0; p < files[f].size(); p++)
                text += (p ? " " : "") + std::to_string(files[f][p].flags) + ":" +
                        std::to_string(files[f][p].data.size());
        }
        return text;
    }
};

// Lays out one file per size, feeding each in slices of `slice` bytes.
RecordingSink Lay(LayoutLimits limits, const std::vector<size_t>& sizes, size_t slice = 4096)
{
    RecordingSink sink;
    PieceLayout layout(sink, limits);
    for (size_t i = 0; i < sizes.size(); i++) {
        layout.BeginFile("f" + std::to_string(i), i + 1 == sizes.size());
        std::string data(sizes[i], static_cast<char>('a' + i));
        for (size_t done = 0; done < data.size(); done += slice)
            layout.Add(reinterpret_cast<const unsigned char*>(data.data()) + done, std::min(slice, data.size() - done));
        layout.EndFile();
    }
    return sink;
}

constexpr uint64_t kUnlimited = 1ull << 40;

TEST(Layout, PiecesAndFlags)
{
    struct Case {
        LayoutLimits limits;
        std::vector<size_t> sizes;
        const char* pieces;
    } cases[] = {
        {{kUnlimited, 0}, {10}, "9:10"},
        {{kUnlimited, 0}, {0}, "9:0"},
        {{kUnlimited, 0}, {0, 5, 0}, "1:0 1:5 9:0"},
        {{kUnlimited, 0}, {3000000}, "9:3000000"},
        {{kUnlimited, 0}, {3000001}, "1:3000000 10:1"},
        {{kUnlimited, 0}, {6000000, 1}, "1:3000000 2:3000000 9:1"},
        // File split over the executable and volume 1.
        {{156, 200}, {150}, "1:100 | 10:50"},
        // Volumes filled to the byte: 56 + 44 = 100 each.
        {{100, 100}, {100}, "1:44 | 2:44 | 10:12"},
        // An empty file fits where only a record fits; a byte more does not.
        {{112, 100}, {0, 0, 1}, "1:0 1:0 | 9:1"},
        {{56, 100}, {1}, " | 9:1"},
        // Room for a record but no data byte: the next volume takes the piece.
        {{57 + 56, 57}, {1, 1}, "1:1 | 9:1"},
        {{60, 3000100}, {3000001}, "1:4 | 10:2999997"},
        {{0, 57}, {2}, " | 1:1 | 10:1"},
    };
    for (const Case& c : cases) {
        RecordingSink sink = Lay(c.limits, c.sizes);
        EXPECT_EQ(sink.Summary(), c.pieces) << c.limits.first << "/" << c.limits.volume;
    }
}

TEST(Layout, FilesStayWithinLimitsAndReassemble)
{
    for (uint64_t volume : {100u, 1000u, 65536u, 1474560u, 4000000u}) {
        // Small volumes get small files: millions of tiny pieces add nothing.
        std::vector<size_t> sizes = {0, 1, 31999, 70000, 0, volume < 65536 ? 3001u : 3000001u, 5, 25000};
        for (size_t slice : {1u, 1000u, 1u << 20}) {
            LayoutLimits limits{volume / 2, volume};
            RecordingSink sink = Lay(limits, sizes, slice);
            std::vector<std::string> files(sizes.size());
            size_t pieces = 0;
            for (size_t f = 0; f < sink.files.size(); f++) {
                uint64_t used = 0;
                for (const auto& piece : sink.files[f]) {
                    used += ENTRY_RECORD_SIZE + piece.data.size();
                    EXPECT_LE(piece.data.size(), PIECE_SIZE_MAX);
                    files[std::stoul(piece.name.substr(1))] += piece.data;
                    pieces++;
                }
                EXPECT_LE(used, f == 0 ? limits.first : volume) << volume;
                if (f > 0) {
                    EXPECT_FALSE(sink.files[f].empty()) << "volume " << f << " of " << volume;
                }
            }
            for (size_t i = 0; i < sizes.size(); i++)
                EXPECT_EQ(files[i], std::string(sizes[i], static_cast<char>('a' + i))) << volume;
            const auto& last = sink.files.back().back();
            EXPECT_TRUE(last.flags & ENTRY_LAST);
            EXPECT_EQ(last.name, "f7");
            // Only the last piece is marked, and a file's first piece alone creates.
            size_t marked = 0;
            std::string previous;
            for (const auto& file : sink.files)
                for (const auto& piece : file) {
                    marked += (piece.flags & ENTRY_LAST) != 0;
                    EXPECT_EQ(piece.flags & 3, piece.name == previous ? ENTRY_APPEND : ENTRY_CREATE);
                    previous = piece.name;
                }
            EXPECT_EQ(marked, 1u);
        }
    }
}

TEST(Layout, OverflowWithoutVolumesIsAnError)
{
    EXPECT_THROW(Lay({1000, 0}, {945}), InputError);
    EXPECT_NO_THROW(Lay({1000, 0}, {944}));
}

}  // namespace
