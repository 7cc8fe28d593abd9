#include "tools/rozbal/json_report.h"

#include "tools/rozbal/errors.h"
#include "tools/rozbal/installer_resources.h"
#include "tools/rozbal/installer_run.h"
#include "tools/rozbal/names.h"
#include "tools/rozbal/reader.h"
#include "tools/rozbal/signature.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <exception>

using nlohmann::ordered_json;

namespace {

ordered_json FlagNames(uint32_t flags)
{
    ordered_json names = ordered_json::array();
    for (auto [flag, name] :
         {std::pair{ENTRY_CREATE, "CREATE"}, {ENTRY_APPEND, "APPEND"}, {ENTRY_LAST, "LAST"}})
        if (flags & flag)
            names.push_back(name);
    return names;
}

ordered_json Header(const ArchiveReader& reader, bool show_password)
{
    const ArchiveHeader& header = reader.Header();
    ordered_json password = nullptr;
    if (header.password[0])
        password = show_password ? ordered_json(DisplayText(header.password)) : ordered_json("set");
    return {{"offset", reader.HeaderOffset()},
            {"title", DisplayText(header.title)},
            {"setup", DisplayText(header.setup_program)},
            {"close_when_done", header.close_when_done != 0},
            {"password", password},
            {"file_count", header.file_count}};
}

// The document as far as the archive can be read; the verdict is left to
// the caller. A fault while reading ends the pieces and is returned.
ordered_json Document(const ReadOptions& options, std::exception_ptr& fault)
{
    ordered_json document = {{"archive", options.archive.u8string()}};
    try {
        Signature signature = ReadSignature(options.archive);
        document["signature"] = {{"signed", signature.table_size != 0},
                                 {"certificate_table", signature.table_size},
                                 {"unaligned_padding", signature.padding},
                                 {"text", Describe(signature)}};
        ArchiveReader reader(options.archive);
        document["header"] = Header(reader, options.show_password);
        InstallerLook look = ReadLook(options.archive, reader.HeaderOffset());
        document["icon"] = ordered_json::array();
        for (const IconImage& image : look.icon)
            document["icon"].push_back({{"width", image.width},
                                        {"height", image.height},
                                        {"bit_count", image.bit_count},
                                        {"png", image.png}});
        document["version"] = ordered_json::object();
        for (const auto& [name, text] : look.version)
            document["version"][name] = text;
        document["volumes"] = ordered_json::array();
        document["pieces"] = ordered_json::array();
        Piece piece;
        while (reader.Next(piece)) {
            if (document["volumes"].size() <= piece.volume)
                document["volumes"].push_back({{"volume", piece.volume}, {"file", piece.file.u8string()}});
            document["pieces"].push_back({{"name", DisplayText(piece.record.name)},
                                          {"size", piece.record.size},
                                          {"flags", piece.record.flags},
                                          {"flag_names", FlagNames(piece.record.flags)},
                                          {"volume", piece.volume},
                                          {"offset", piece.offset},
                                          {"block_file", IsBlockName(piece.record.name)}});
        }
    } catch (const std::exception&) {
        fault = std::current_exception();
    }
    return document;
}

// Prints the document with its verdict: ok, or the message of `fault`,
// which is then thrown on.
void Finish(ordered_json& document, std::exception_ptr fault)
{
    std::string error;
    try {
        if (fault)
            std::rethrow_exception(fault);
    } catch (const std::exception& e) {
        error = e.what();
    }
    document["verdict"] = {{"ok", !fault}, {"error", fault ? ordered_json(error) : ordered_json(nullptr)}};
    // Texts are UTF-8 already; a byte that is not stays readable, not fatal.
    std::puts(document.dump(2, ' ', false, ordered_json::error_handler_t::replace).c_str());
    std::fflush(stdout);
    if (fault)
        std::rethrow_exception(fault);
}

}  // namespace

void ListJson(const ReadOptions& options)
{
    std::exception_ptr fault;
    ordered_json document = Document(options, fault);
    Finish(document, fault);
}

void VerifyJson(const ReadOptions& options)
{
    std::exception_ptr fault;
    ordered_json document = Document(options, fault);
    // The verdict is the worker's, as in the text form.
    fault = nullptr;
    try {
        ReadOptions quiet = options;
        quiet.quiet = true;
        ArchiveTotals totals = RunVerify(quiet);
        document["totals"] = {{"files", totals.files},
                              {"pieces", totals.pieces},
                              {"volumes", totals.volumes},
                              {"stored", totals.stored},
                              {"installed", totals.installed}};
    } catch (const std::exception&) {
        fault = std::current_exception();
    }
    Finish(document, fault);
}
