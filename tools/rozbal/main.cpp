// rozbal: builds installers from a tree and inspects them.
#include "tools/rozbal/cli.h"
#include "tools/rozbal/errors.h"
#include "tools/rozbal/json_report.h"
#include "tools/rozbal/system.h"

#include <cstdio>
#include <new>

int main(int argc, char** argv)
{
    try {
        CommandLine line = ParseCommandLine(Arguments(argc, argv));
        if (line.version) {
            std::fputs(VersionText().c_str(), stdout);
            return EXIT_OK;
        }
        if (line.help) {
            std::fputs(HelpText(line.command), stdout);
            return EXIT_OK;
        }
        if (line.command == "pack")
            RunPack(line.pack);
        else if (line.command == "list")
            line.read.json    ? ListJson(line.read)
            : line.read.names ? ListNames(line.read)
                              : RunList(line.read);
        else if (line.command == "verify")
            line.read.json ? VerifyJson(line.read) : (void)RunVerify(line.read);
        else
            RunExtract(line.read);
        return EXIT_OK;
    } catch (const Interrupted& e) {
        std::fprintf(stderr, "rozbal: interrupted; nothing was written\n");
        EndBySignal(e.signal);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "rozbal: %s\n(rozbal --help shows the usage)\n", e.what());
        return EXIT_USAGE;
    } catch (const InputError& e) {
        std::fprintf(stderr, "rozbal: %s\n", e.what());
        return EXIT_INPUT;
    } catch (const OutputError& e) {
        std::fprintf(stderr, "rozbal: %s\n", e.what());
        return EXIT_OUTPUT;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "rozbal: out of memory\n");
        return EXIT_OUTPUT;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "rozbal: %s\n", e.what());
        return EXIT_INPUT;
    }
}
