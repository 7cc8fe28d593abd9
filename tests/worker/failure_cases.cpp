#include "tests/worker/failure_cases.h"

#include "extract/commands.h"
#include "extract/worker.h"
#include "tests/support/archive_writer.h"

using Log = std::vector<std::string>;

static const Log kHeaderSeen{"total 1", "title t"};

static Log Then(Log head, std::initializer_list<std::string> more)
{
    head.insert(head.end(), more);
    return head;
}

// The records begin after the 58 bytes of Installer's stub and the header.
enum { FIRST = 58 + 152, RECORD = 56 };

const std::vector<FailureCase> kFailures = {
    {"trailer past the end",
     "MZ" + std::string("\x40\x42\x0f\x00", 4),
     {},
     IDS_ERROR,
     {STOP_NO_ARCHIVE, 0, 0, 0},
     "holds no archive: it is too short"},
    {"file shorter than the trailer",
     "MZ",
     {},
     IDS_ERROR,
     {STOP_NO_ARCHIVE, 0, 0, 0},
     "holds no archive: it is too short"},
    {"header cut short",
     "MZ" + Header(1, 1, "s", "t").substr(0, 100) + std::string("\x02\0\0\0", 4),
     {},
     IDS_ERROR,
     {STOP_NO_ARCHIVE, 0, 0, 0},
     "holds no archive"},
    {"title without its NUL",
     Installer(Header(1, 1, "s", std::string(48, 't')), ""),
     {},
     IDS_ERROR,
     {STOP_NO_ARCHIVE, 0, 0, 0},
     "holds no archive: a text field of its header has no end"},
    {"setup program outside the directory",
     Installer(Header(1, 1, "..\\s", "t"), Piece(9, "a", "x")),
     {"total 1"},
     IDS_ERROR,
     {STOP_SETUP_FIELD, 0, 0, 0},
     "holds no archive the installer accepts"},
    {"name without its NUL",
     Installer(Header(1, 1, "s", "t"), Piece(9, std::string(48, 'n'), "x")),
     kHeaderSeen,
     IDS_ERROR,
     {STOP_BAD_NAME, 1, FIRST, 0},
     "offset 210, piece 1 ("},
    {"piece data cut short",
     Installer(Header(1, 1, "s", "t"), PieceClaiming(9, "a", 100, "abc")),
     Then(kHeaderSeen, {"show a"}),
     IDS_INCOMPLETE,
     {STOP_SHORT_READ, 1, FIRST, 0},
     "offset 210, piece 1 (a): the data is cut short"},
    {"piece larger than the buffer",
     Installer(Header(1, 1, "s", "t"), PieceClaiming(9, "a", PIECE_SIZE_MAX + 1, "")),
     kHeaderSeen,
     IDS_ERROR,
     {STOP_TOO_LARGE, 1, FIRST, 0},
     "offset 210, piece 1 (a): 3000001 data bytes, more than"},
    {"neither bit, no target",
     Installer(Header(1, 1, "s", "t"), Piece(ENTRY_LAST, "a", "abc")),
     Then(kHeaderSeen, {"show a"}),
     IDS_ERROR,
     {STOP_OPEN, 1, FIRST, 0},
     "offset 210, piece 1 (a): the installer cannot open the piece's file: a piece neither"},
    {"neither bit, target exists",
     Installer(Header(1, 1, "s", "t"), Piece(1, "a", "abc") + Piece(ENTRY_LAST, "a", "d")),
     Then(kHeaderSeen, {"show a", "show a"}),
     IDS_NO_SPACE,
     {STOP_WRITE, 2, FIRST + RECORD + 3, 0},
     "offset 269, piece 2 (a): a piece neither creating nor continuing a file carries data"},
    {"block file not decodable",
     Installer(Header(1, 1, "s", "t"), Piece(9, "a.xxx", std::string("g\1\1\0\0\0x", 7))),
     Then(kHeaderSeen, {"show a.xxx"}),
     IDS_NO_SPACE,
     {STOP_DECODE_LAST, 1, FIRST, 0},
     "offset 210, piece 1 (a.xxx): block file 'a.xxx' does not decode"},
    {"block file decoded when the next file starts",
     Installer(Header(1, 1, "s", "t"), Piece(1, "a.xxx", "g") + Piece(9, "b", "x")),
     Then(kHeaderSeen, {"show a.xxx", "show b"}),
     IDS_NO_SPACE,
     {STOP_DECODE, 2, FIRST + RECORD + 1, 0},
     "offset 267, piece 2 (b): block file 'a.xxx' does not decode"},
    {"target's directory two levels down",
     Installer(Header(1, 1, "s", "t"), Piece(9, "a\\b\\c", "x")),
     kHeaderSeen,
     IDS_ERROR,
     {STOP_NO_TARGET_DIRECTORY, 1, FIRST, 0},
     "offset 210, piece 1 (a\\b\\c): the installer refuses the piece before writing it: its directory"},
    {"target is a directory",
     Installer(Header(1, 1, "s", "t"), Piece(1, "d\\f", "x") + Piece(9, "d", "x")),
     Then(kHeaderSeen, {"show d\\f", "show d"}),
     IDS_ERROR,
     {STOP_OPEN, 2, FIRST + RECORD + 1, 0},
     "offset 267, piece 2 (d): the installer cannot open the piece's file: the name is a directory"},
    {"next volume missing",
     Installer(Header(1, 1, "s", "t"), Piece(1, "a", "x")),
     Then(kHeaderSeen, {"show a", "question"}),
     IDS_ERROR,
     {STOP_NO_VOLUME, 2, 0, 1},
     "setup.e01: the archive goes on after piece 1"},
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
