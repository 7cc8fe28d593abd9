#include "tests/worker/failure_cases.h"

#include "extract/commands.h"
#include "tests/support/archive_writer.h"

using Log = std::vector<std::string>;

static const Log kHeaderSeen{"total 1", "title t"};

static Log Then(Log head, std::initializer_list<std::string> more)
{
    head.insert(head.end(), more);
    return head;
}

const std::vector<FailureCase> kFailures = {
    {"trailer past the end", "MZ" + std::string("\x40\x42\x0f\x00", 4), {}, IDS_ERROR},
    {"file shorter than the trailer", "MZ", {}, IDS_ERROR},
    {"header cut short",
     "MZ" + Header(1, 1, "s", "t").substr(0, 100) + std::string("\x02\0\0\0", 4),
     {},
     IDS_ERROR},
    {"title without its NUL", Installer(Header(1, 1, "s", std::string(48, 't')), ""), {}, IDS_ERROR},
    {"name without its NUL", Installer(Header(1, 1, "s", "t"), Piece(9, std::string(48, 'n'), "x")),
     kHeaderSeen, IDS_ERROR},
    {"piece data cut short", Installer(Header(1, 1, "s", "t"), PieceClaiming(9, "a", 100, "abc")),
     Then(kHeaderSeen, {"show a"}), IDS_INCOMPLETE},
    {"piece larger than the buffer",
     Installer(Header(1, 1, "s", "t"), PieceClaiming(9, "a", PIECE_SIZE_MAX + 1, "")), kHeaderSeen,
     IDS_ERROR},
    {"neither bit, no target", Installer(Header(1, 1, "s", "t"), Piece(ENTRY_LAST, "a", "abc")),
     Then(kHeaderSeen, {"show a"}), IDS_ERROR},
    {"neither bit, target exists",
     Installer(Header(1, 1, "s", "t"), Piece(1, "a", "abc") + Piece(ENTRY_LAST, "a", "d")),
     Then(kHeaderSeen, {"show a", "show a"}), IDS_NO_SPACE},
    {"block file not decodable",
     Installer(Header(1, 1, "s", "t"), Piece(9, "a.xxx", std::string("g\1\1\0\0\0x", 7))),
     Then(kHeaderSeen, {"show a.xxx"}), IDS_NO_SPACE},
    {"block file decoded when the next file starts",
     Installer(Header(1, 1, "s", "t"), Piece(1, "a.xxx", "g") + Piece(9, "b", "x")),
     Then(kHeaderSeen, {"show a.xxx", "show b"}), IDS_NO_SPACE},
    {"target's directory two levels down", Installer(Header(1, 1, "s", "t"), Piece(9, "a\\b\\c", "x")),
     kHeaderSeen, IDS_ERROR},
    {"target is a directory", Installer(Header(1, 1, "s", "t"), Piece(1, "d\\f", "x") + Piece(9, "d", "x")),
     Then(kHeaderSeen, {"show d\\f", "show d"}), IDS_ERROR},
};

const std::vector<const char*> kHostileNames = {"..\\evil",
                                                "..\\..\\evil",
                                                "inside\\..\\..\\evil",
                                                "inside/../../evil",
                                                ".. \\evil",
                                                "...\\evil",
                                                "\\evil",
                                                "/evil",
                                                "\\evil_dir\\x",
                                                "\\\\server\\share\\evil",
                                                "C:evil",
                                                "C:\\evil",
                                                "inside\\evil:stream",
                                                ".."};

std::string HostileInstaller(const char* name)
{
    return Installer(Header(2, 1, "s", "t"), Piece(1, "inside\\ok", "x") + Piece(9, name, "evil"));
}
