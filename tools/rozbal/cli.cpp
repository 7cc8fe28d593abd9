#include "tools/rozbal/cli.h"

#include "archive/format.h"
#include "tools/rozbal/errors.h"
#include "tools/rozbal/response_file.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdint>
#include <map>
#include <thread>
#include <vector>

namespace {

constexpr uint64_t kSmallestVolume = ENTRY_RECORD_SIZE + TRAILER_SIZE + 7;

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
    "1 bad command line, 2 bad input or archive, 3 output not writable.\n"
    "'rozbal @FILE' reads further arguments from FILE, one a line.\n";

const char kPackHelp[] =
    "usage: rozbal pack [options] DIR -o SETUP.EXE\n"
    "\n"
    "Writes SETUP.EXE: the stub followed by an archive of every file under DIR,\n"
    "and, with --volume-size, the volumes SETUP.E01, SETUP.E02, ... beside it.\n"
    "\n"
    "  -o, --output FILE     the installer to write (required)\n"
    "  --setup 'PATH [ARGS]' the program to start after unpacking, relative to\n"
    "                        DIR, and any arguments after a blank (required)\n"
    "  --title TEXT          text before the window's caption\n"
    "  --password TEXT       ask for this password first (stored in plain text:\n"
    "                        a gate, not encryption)\n"
    "  --stay                keep the installer (hidden) until log-off instead of\n"
    "                        ending when the setup program ends\n"
    "  --compress PATTERN    store matching files compressed (repeatable; a\n"
    "                        pattern without '/' matches file names, one with '/'\n"
    "                        paths relative to DIR)\n"
    "  --compress-all        store every file compressed\n"
    "  --volume-size SIZE    at most SIZE bytes of pieces per file (1440K, 100M;\n"
    "                        at least 67, at most 999 volumes)\n"
    "  --stub FILE           the stub to use instead of the built one\n"
    "  --level N             compression level, 1 (fastest) to 12 (smallest);\n"
    "                        default 6\n"
    "  --threads N           compressing threads (default: all cores)\n"
    "  -q, --quiet           no progress bar and summary\n"
    "  --icon FILE.ico       the installer's icon, every image of the file\n"
    "  --product-name TEXT, --product-version TEXT, --company TEXT,\n"
    "  --description TEXT, --copyright TEXT\n"
    "                        version information (Windows shows it under\n"
    "                        Properties, Details), in code page 1250\n"
    "  --file-version A.B.C.D  the file version, also as numbers\n"
    "\n"
    "Names are stored in code page 1250 and may have at most 47 bytes (with\n"
    "the .xxx of compressed files); the texts likewise. The installer creates\n"
    "one directory level per file, so every directory holding subdirectories\n"
    "needs a file of its own. Empty directories are left out with a warning.\n";

const char kListHelp[] =
    "usage: rozbal list [--show-password] [--json | --names] SETUP.EXE\n"
    "\n"
    "Shows the header and every piece, volume by volume: file, offset, flags,\n"
    "size, name. The password is shown only with --show-password.\n"
    "\n"
    "  --json        one JSON document: header, signature, volumes, pieces,\n"
    "                verdict\n"
    "  -1, --names   only the name of each file, one a line\n";

const char kVerifyHelp[] =
    "usage: rozbal verify [-q] [--json] [--password TEXT] SETUP.EXE\n"
    "\n"
    "Runs the installer's own unpacking code on the archive, across volumes,\n"
    "in a scratch directory, without starting anything, then checks names\n"
    "Windows refuses or takes for one file, the file count and the setup\n"
    "program. The password is checked only when given. Exits 0 when the\n"
    "installer would install the archive, 2 with the volume, offset and piece\n"
    "of the first fault. --json prints one JSON document: what list --json\n"
    "shows, the totals and the verdict.\n";

const char kExtractHelp[] =
    "usage: rozbal extract [-q] [--password TEXT] SETUP.EXE DIR\n"
    "\n"
    "Unpacks the archive into DIR (new or empty) with the installer's own\n"
    "unpacking code, decoding compressed files, without starting anything.\n"
    "Names that would reach outside DIR are refused; when the installer would\n"
    "stop, DIR is left empty. An archive with a password needs --password.\n";

unsigned ParseNumber(const std::string& text, const char* option, unsigned low, unsigned high)
{
    bool digits =
        !text.empty() && text.size() <= 4 && text.find_first_not_of("0123456789") == std::string::npos;
    unsigned long number = digits ? std::stoul(text) : 0;
    if (number < low || number > high)
        throw UsageError(std::string(option) + " needs a number from " + std::to_string(low) + " to " +
                         std::to_string(high));
    return static_cast<unsigned>(number);
}

// A command of the parser: its own help flag, and every operand in one list
// that the caller counts, so that the messages say what is missing.
CLI::App* AddCommand(CLI::App& app, const char* name, bool& help, std::vector<std::string>& operands)
{
    CLI::App* command = app.add_subcommand(name);
    command->set_help_flag();
    command->allow_extras();  // reported as unknown options below
    command->add_flag("-h,--help", help);
    command->add_option("operands", operands)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    return command;
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

CommandLine ParseCommandLine(const std::vector<std::string>& given)
{
    std::vector<std::string> arguments = ExpandResponseFiles(given);
    CommandLine line;
    if (arguments.size() < 2)
        throw UsageError("no command given");
    PackOptions& pack = line.pack;
    ReadOptions& read = line.read;
    pack.threads = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::string> operands;
    std::string output, stub, volume_size, threads, level, password;
    bool quiet = false;

    CLI::App app;
    app.set_help_flag();
    app.allow_extras();  // an unknown command, told apart below
    // A repeated option counts once, the last time given.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_flag("-h,--help", line.help);
    app.add_flag("--version", line.version);

    CLI::App* pack_command = AddCommand(app, "pack", line.help, operands);
    pack_command->add_option("-o,--output", output);
    pack_command->add_option("--stub", stub);
    pack_command->add_option("--setup", pack.setup);
    pack_command->add_option("--title", pack.title);
    pack_command->add_option("--password", pack.password);
    pack_command->add_flag("--stay", pack.stay);
    pack_command->add_option("--compress", pack.compress.patterns)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false);  // one pattern each time, the operands stay apart
    pack_command->add_flag("--compress-all", pack.compress.all);
    pack_command->add_option("--volume-size", volume_size);
    pack_command->add_option("--threads", threads);
    pack_command->add_option("--level", level);
    pack_command->add_flag("-q,--quiet", quiet);
    std::string icon;
    pack_command->add_option("--icon", icon);
    ResourceOptions& look = pack.resources;
    for (auto [name, text] : {std::pair{"--product-name", &look.product_name},
                              {"--product-version", &look.product_version},
                              {"--file-version", &look.file_version},
                              {"--company", &look.company},
                              {"--description", &look.description},
                              {"--copyright", &look.copyright}})
        pack_command->add_option(name, *text);
    CLI::App* list_command = AddCommand(app, "list", line.help, operands);
    list_command->add_flag("--show-password", read.show_password);
    list_command->add_flag("--json", read.json);
    list_command->add_flag("-1,--names", read.names);
    std::vector<CLI::Option*> password_options;
    for (const char* name : {"verify", "extract"}) {
        CLI::App* command = AddCommand(app, name, line.help, operands);
        command->add_flag("-q,--quiet", quiet);
        password_options.push_back(command->add_option("--password", password));
        if (command->get_name() == "verify")
            command->add_flag("--json", read.json);
    }

    // CLI11 reads the arguments from the back, and would take the argument
    // after "--name=" as its value: an empty value stays one.
    std::vector<std::string> reversed;
    for (auto it = arguments.rbegin(); it + 1 != arguments.rend(); ++it) {
        // Windows programs answer /? with their help, as the command or after it.
        if (*it == "/?" && arguments.rend() - it <= 3) {
            reversed.push_back("--help");
            continue;
        }
        bool empty_value = it->size() > 3 && it->compare(0, 2, "--") == 0 && it->back() == '=';
        if (empty_value)
            reversed.push_back("");
        reversed.push_back(empty_value ? it->substr(0, it->size() - 1) : *it);
    }
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        throw UsageError(e.what());
    }
    if (app.get_subcommands().empty()) {
        std::vector<std::string> rest = app.remaining();
        if (line.help || line.version || (!rest.empty() && rest[0] == "help")) {
            line.help = !line.version;
            return line;
        }
        if (rest.empty())
            throw UsageError("no command given");
        throw UsageError(rest[0][0] == '-' ? "unknown option " + rest[0]
                                           : "unknown command '" + rest[0] + "'");
    }
    CLI::App* command = app.get_subcommands()[0];
    line.command = command->get_name();
    if (line.help)
        return line;
    for (const std::string& unknown : command->remaining())
        if (unknown != "--")  // CLI11 keeps the end of options among the extras
            throw UsageError("unknown option " + unknown);
    pack.quiet = read.quiet = quiet;

    if (command == pack_command) {
        if (pack_command->count("--volume-size")) {
            pack.volume_size = ParseSize(volume_size, INT32_MAX);
            // The executable's share holds at least an entry record and the
            // trailer, after up to 7 zeros that end it on a multiple of 8.
            if (pack.volume_size < kSmallestVolume)
                throw UsageError("--volume-size " + volume_size + ": at least " +
                                 std::to_string(kSmallestVolume) +
                                 " bytes (an entry record, the trailer and up to 7 bytes of alignment)");
        }
        if (pack_command->count("--threads"))
            pack.threads = ParseNumber(threads, "--threads", 1, 1024);
        if (pack_command->count("--level"))
            pack.level = static_cast<int>(ParseNumber(level, "--level", 1, 12));
        if (operands.size() != 1)
            throw UsageError("pack needs exactly one directory");
        if (output.empty())
            throw UsageError("pack needs -o SETUP.EXE");
        pack.tree = std::filesystem::u8path(operands[0]);
        pack.output = std::filesystem::u8path(output);
        pack.stub = std::filesystem::u8path(stub);
        pack.resources.icon = std::filesystem::u8path(icon);
        return line;
    }

    if (read.json && read.names)
        throw UsageError("list takes --json or --names, not both");
    size_t wanted = line.command == "extract" ? 2 : 1;
    if (operands.size() != wanted)
        throw UsageError(line.command +
                         (wanted == 1 ? " needs one installer" : " needs an installer and a directory"));
    read.archive = std::filesystem::u8path(operands[0]);
    if (wanted == 2)
        read.target = std::filesystem::u8path(operands[1]);
    for (const CLI::Option* option : password_options)
        if (option->count())
            read.password = password;
    return line;
}
