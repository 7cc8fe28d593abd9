#include "tools/rozbal/cli.h"

#include "archive/format.h"
#include "tools/rozbal/errors.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <thread>
#include <vector>

namespace {

const char kOverview[] =
    "usage: rozbal COMMAND [options] ...\n"
    "\n"
    "Builds and inspects self-extracting installers.\n"
    "\n"
    "commands:\n"
    "  pack     append the archive of a tree to the installer stub\n"
    "  list     show an installer's header and pieces\n"
    "  verify   check that the installer would install an archive\n"
    "  extract  unpack an installer's files without running anything\n"
    "\n"
    "'rozbal COMMAND --help' describes a command; 'rozbal --version' shows the\n"
    "version of rozbal and of the zlib in its stubs. Exit status: 0 success,\n"
    "1 bad command line, 2 bad input or archive, 3 output not writable.\n";

const char kPackHelp[] =
    "usage: rozbal pack [options] DIR -o SETUP.EXE\n"
    "\n"
    "Writes SETUP.EXE: the stub followed by an archive of every file under DIR,\n"
    "and, with --volume-size, the volumes SETUP.E01, SETUP.E02, ... beside it.\n"
    "\n"
    "  -o, --output FILE     the installer to write (required)\n"
    "  --setup PATH          the program to start after unpacking, relative to\n"
    "                        DIR (required)\n"
    "  --title TEXT          text before the window's caption\n"
    "  --password TEXT       ask for this password first (stored in plain text:\n"
    "                        a gate, not encryption)\n"
    "  --stay                keep the installer (hidden) until log-off instead of\n"
    "                        ending when the setup program ends\n"
    "  --compress PATTERN    store matching files compressed (repeatable; a\n"
    "                        pattern without '/' matches file names, one with '/'\n"
    "                        paths relative to DIR)\n"
    "  --compress-all        store every file compressed\n"
    "  --volume-size SIZE    at most SIZE bytes of pieces per file (1440K, 100M)\n"
    "  --stub FILE           the stub to use instead of the built one\n"
    "  --level N             compression level, 1 (fastest) to 12 (smallest);\n"
    "                        default 6\n"
    "  --threads N           compressing threads (default: all cores)\n"
    "  -q, --quiet           no progress bar and summary\n"
    "\n"
    "Names are stored in code page 1250 and may have at most 47 bytes (with\n"
    "the .xxx of compressed files); the texts likewise. The installer creates\n"
    "one directory level per file, so every directory holding subdirectories\n"
    "needs a file of its own. Empty directories are left out with a warning.\n";

const char kListHelp[] =
    "usage: rozbal list [--show-password] SETUP.EXE\n"
    "\n"
    "Shows the header and every piece, volume by volume: file, offset, flags,\n"
    "size, name. The password is shown only with --show-password.\n";

const char kVerifyHelp[] =
    "usage: rozbal verify [-q] [--password TEXT] SETUP.EXE\n"
    "\n"
    "Runs the installer's own unpacking code on the archive, across volumes,\n"
    "in a scratch directory, without starting anything, then checks names\n"
    "Windows refuses or takes for one file, the file count and the setup\n"
    "program. The password is checked only when given. Exits 0 when the\n"
    "installer would install the archive, 2 with the volume, offset and piece\n"
    "of the first fault.\n";

const char kExtractHelp[] =
    "usage: rozbal extract [-q] [--password TEXT] SETUP.EXE DIR\n"
    "\n"
    "Unpacks the archive into DIR (new or empty) with the installer's own\n"
    "unpacking code, decoding compressed files, without starting anything.\n"
    "Names that would reach outside DIR are refused; when the installer would\n"
    "stop, DIR is left empty. An archive with a password needs --password.\n";

// One option: whether it takes a value, and what to do with it.
struct Option {
    bool takes_value;
    std::function<void(const std::string&)> apply;
};

// The value of `option`: a number from `low` to `high`, in decimal digits.
unsigned ParseNumber(const std::string& option, const std::string& text, unsigned low, unsigned high)
{
    bool digits =
        !text.empty() && text.size() <= 4 && text.find_first_not_of("0123456789") == std::string::npos;
    unsigned long number = digits ? std::stoul(text) : 0;
    if (number < low || number > high)
        throw UsageError(option + " needs a number from " + std::to_string(low) + " to " +
                         std::to_string(high));
    return static_cast<unsigned>(number);
}

void Parse(int argc, char** argv, const std::map<std::string, Option>& options,
           std::vector<std::string>& operands, bool& help)
{
    for (int i = 2; i < argc; i++) {
        std::string argument = argv[i];
        if (argument == "--") {
            operands.insert(operands.end(), argv + i + 1, argv + argc);
            break;
        }
        if (argument == "--help" || argument == "-h") {
            help = true;
            continue;
        }
        if (argument.size() < 2 || argument[0] != '-') {
            operands.push_back(argument);
            continue;
        }
        std::string value;
        size_t equals = argument.find('=');
        bool inline_value = argument.compare(0, 2, "--") == 0 && equals != std::string::npos;
        if (inline_value) {
            value = argument.substr(equals + 1);
            argument.resize(equals);
        }
        auto it = options.find(argument);
        if (it == options.end())
            throw UsageError("unknown option " + argument);
        if (it->second.takes_value && !inline_value) {
            if (++i == argc)
                throw UsageError(argument + " needs a value");
            value = argv[i];
        } else if (!it->second.takes_value && inline_value) {
            throw UsageError(argument + " takes no value");
        }
        it->second.apply(value);
    }
}

}  // namespace

uint64_t ParseSize(const std::string& text, uint64_t largest)
{
    size_t digits = std::min(text.find_first_not_of("0123456789"), text.size());
    std::string suffix = text.substr(digits);
    static const std::map<std::string, uint64_t> units = {{"", 1},        {"K", 1 << 10}, {"k", 1 << 10},
                                                          {"M", 1 << 20}, {"m", 1 << 20}, {"G", 1 << 30},
                                                          {"g", 1 << 30}};
    auto unit = units.find(suffix);
    if (digits == 0 || unit == units.end() || text.size() - suffix.size() > 12)
        throw UsageError("bad size '" + text + "' (a number, optionally followed by K, M or G)");
    uint64_t value = std::stoull(text.substr(0, digits)) * unit->second;
    if (value > largest)
        throw UsageError("size '" + text + "' is larger than " + std::to_string(largest));
    return value;
}

std::string VersionText()
{
    return "rozbal " ROZBAL_VERSION "\nstubs: zlib " ROZBAL_STUB_ZLIB_VERSION "\n";
}

const char* HelpText(const std::string& command)
{
    if (command == "pack")
        return kPackHelp;
    if (command == "list")
        return kListHelp;
    if (command == "verify")
        return kVerifyHelp;
    if (command == "extract")
        return kExtractHelp;
    return kOverview;
}

CommandLine ParseCommandLine(int argc, char** argv)
{
    CommandLine line;
    if (argc < 2)
        throw UsageError("no command given");
    if (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h" || std::string(argv[1]) == "help") {
        line.help = true;
        return line;
    }
    if (std::string(argv[1]) == "--version") {
        line.version = true;
        return line;
    }
    line.command = argv[1];
    std::vector<std::string> operands;
    PackOptions& pack = line.pack;
    ReadOptions& read = line.read;
    auto flag = [](bool& target) { return Option{false, [&target](const std::string&) { target = true; }}; };
    auto quiet = [&] { return Option{false, [&](const std::string&) { pack.quiet = read.quiet = true; }}; };
    auto password = [&] { return Option{true, [&](const std::string& v) { read.password = v; }}; };

    if (line.command == "pack") {
        pack.threads = std::max(1u, std::thread::hardware_concurrency());
        auto text = [](std::string& target) {
            return Option{true, [&target](const std::string& v) { target = v; }};
        };
        auto path = [](std::filesystem::path& target) {
            return Option{true, [&target](const std::string& v) { target = v; }};
        };
        Parse(
            argc, argv,
            {{"-o", path(pack.output)},
             {"--output", path(pack.output)},
             {"--stub", path(pack.stub)},
             {"--setup", text(pack.setup)},
             {"--title", text(pack.title)},
             {"--password", text(pack.password)},
             {"--stay", flag(pack.stay)},
             {"--compress", Option{true, [&](const std::string& v) { pack.compress.patterns.push_back(v); }}},
             {"--compress-all", flag(pack.compress.all)},
             {"--volume-size",
              Option{true,
                     [&](const std::string& v) {
                         pack.volume_size = ParseSize(v, INT32_MAX);
                         if (pack.volume_size < ENTRY_RECORD_SIZE + 1)
                             throw UsageError(
                                 "--volume-size " + v +
                                 ": a volume must hold an entry record (56 bytes) and one data byte");
                     }}},
             {"--threads",
              Option{true,
                     [&](const std::string& v) { pack.threads = ParseNumber("--threads", v, 1, 1024); }}},
             {"--level",
              Option{true, [&](const std::string& v) { pack.level = ParseNumber("--level", v, 1, 12); }}},
             {"-q", quiet()},
             {"--quiet", quiet()}},
            operands, line.help);
        if (line.help)
            return line;
        if (operands.size() != 1)
            throw UsageError("pack needs exactly one directory");
        if (pack.output.empty())
            throw UsageError("pack needs -o SETUP.EXE");
        pack.tree = operands[0];
        return line;
    }

    size_t wanted;
    if (line.command == "list") {
        Parse(argc, argv, {{"--show-password", flag(read.show_password)}}, operands, line.help);
        wanted = 1;
    } else if (line.command == "verify") {
        Parse(argc, argv, {{"-q", quiet()}, {"--quiet", quiet()}, {"--password", password()}}, operands,
              line.help);
        wanted = 1;
    } else if (line.command == "extract") {
        Parse(argc, argv, {{"-q", quiet()}, {"--quiet", quiet()}, {"--password", password()}}, operands,
              line.help);
        wanted = 2;
    } else {
        throw UsageError("unknown command '" + line.command + "'");
    }
    if (line.help)
        return line;
    if (operands.size() != wanted)
        throw UsageError(line.command +
                         (wanted == 1 ? " needs one installer" : " needs an installer and a directory"));
    read.archive = operands[0];
    if (wanted == 2)
        read.target = operands[1];
    return line;
}
