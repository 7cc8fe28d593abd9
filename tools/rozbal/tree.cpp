#include "tools/rozbal/tree.h"

#include "tools/rozbal/errors.h"
#include "tools/rozbal/names.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace fs = std::filesystem;

namespace {

struct DirNode {
    std::string relative;  // "" for the root
    std::string archive;   // code page 1250 path, "" for the root
    std::vector<PackFile> files;
    std::vector<DirNode> dirs;
};

std::string Quoted(const std::string& relative)
{
    return "'" + relative + "'";
}

std::string Join(const std::string& parent, char separator, const std::string& name)
{
    return parent.empty() ? name : parent + separator + name;
}

// The names the tree refuses, each with its reason, so that one run names
// them all.
using Refusals = std::vector<std::string>;

constexpr size_t kRefusalsShown = 50;

// The code page 1250 form of one path component into converted; false, with
// the reason recorded, when it has none.
bool ConvertComponent(const std::string& name, const std::string& relative, std::string& converted,
                      Refusals& refused)
{
    if (name.find('\\') != std::string::npos)
        refused.push_back(Quoted(relative) +
                          ": a backslash in a name would become a directory level on Windows");
    else if (!Utf8ToCp1250(name, converted))
        refused.push_back(Quoted(relative) +
                          ": the name cannot be written in code page 1250 (the installer's character set)");
    else
        return true;
    return false;
}

// Why the installer refuses the archive name of a file, or "".
std::string NameFault(const std::string& plain, bool compressed)
{
    if (!compressed && IsBlockName(plain))
        return "the installer decodes names ending in .xxx as block files; compress it (--compress) or "
               "rename it";
    std::string why = CheckArchiveName(compressed ? plain + ".xxx" : plain);
    if (why.empty())
        return why;
    if (compressed && CheckArchiveName(plain).empty())
        why += ", only because compressing adds .xxx: store it uncompressed or shorten it";
    return "unusable as an archive name: " + why;
}

void AddFile(DirNode& node, const fs::directory_entry& entry, const std::string& name,
             const std::string& relative, const CompressRule& rule, Refusals& refused)
{
    PackFile file;
    file.source = entry.path();
    file.relative = relative;
    file.compressed = rule.Matches(relative);
    std::string converted;
    if (!ConvertComponent(name, relative, converted, refused))
        return;
    std::string plain = Join(node.archive, '\\', converted);
    std::string why = NameFault(plain, file.compressed);
    if (!why.empty()) {
        refused.push_back(Quoted(relative) + ": " + why);
        return;
    }
    file.archive_name = file.compressed ? plain + ".xxx" : plain;
    std::error_code error;
    file.size = entry.file_size(error);
    if (error)
        throw InputError(SystemMessage(Quoted(relative), error.value()));
    node.files.push_back(std::move(file));
}

void ScanDirectory(const fs::path& path, DirNode& node, const CompressRule& rule, Refusals& refused)
{
    std::error_code error;
    fs::directory_iterator it(path, error), end;
    for (; !error && it != end; it.increment(error)) {
        const fs::directory_entry& entry = *it;
        std::string name = entry.path().filename().string();
        std::string relative = Join(node.relative, '/', name);
        fs::file_status status = entry.symlink_status(error);
        if (error)
            break;
        if (fs::is_symlink(status)) {
            if (!fs::is_regular_file(entry.status(error)))
                throw InputError(Quoted(relative) +
                                 ": a symbolic link to something other than a regular file "
                                 "cannot be stored");
            AddFile(node, entry, name, relative, rule, refused);
        } else if (fs::is_directory(status)) {
            DirNode child;
            child.relative = relative;
            std::string converted;
            if (!ConvertComponent(name, relative, converted, refused))
                continue;
            child.archive = Join(node.archive, '\\', converted);
            ScanDirectory(entry.path(), child, rule, refused);
            node.dirs.push_back(std::move(child));
        } else if (fs::is_regular_file(status)) {
            AddFile(node, entry, name, relative, rule, refused);
        } else {
            throw InputError(Quoted(relative) + ": not a regular file or directory");
        }
    }
    if (error)
        throw InputError(SystemMessage("cannot read directory " + path.string(), error.value()));
}

// One message for every refused name, the first 50 in full.
void ReportRefusals(Refusals& refused)
{
    if (refused.empty())
        return;
    std::sort(refused.begin(), refused.end());
    if (refused.size() == 1)
        throw InputError(refused[0]);
    std::string text = std::to_string(refused.size()) + " names cannot be stored:";
    for (size_t i = 0; i < refused.size() && i < kRefusalsShown; i++)
        text += "\n  " + refused[i];
    if (refused.size() > kRefusalsShown)
        text += "\n  and " + std::to_string(refused.size() - kRefusalsShown) + " more";
    throw InputError(text);
}

bool HasFiles(const DirNode& node)
{
    return !node.files.empty() ||
           std::any_of(node.dirs.begin(), node.dirs.end(), [](const DirNode& d) { return HasFiles(d); });
}

// Sorts every directory's files and subdirectories byte-wise by archive name.
void Sort(DirNode& node)
{
    std::sort(node.files.begin(), node.files.end(),
              [](const PackFile& a, const PackFile& b) { return a.archive_name < b.archive_name; });
    std::sort(node.dirs.begin(), node.dirs.end(),
              [](const DirNode& a, const DirNode& b) { return a.archive < b.archive; });
    for (DirNode& child : node.dirs)
        Sort(child);
}

// Appends the files of the sorted node in installation order.
void Order(DirNode& node, TreeScan& scan)
{
    for (PackFile& file : node.files)
        scan.files.push_back(std::move(file));
    for (DirNode& child : node.dirs) {
        if (!HasFiles(child)) {
            scan.warnings.push_back("empty directory " + Quoted(child.relative) +
                                    " left out: an archive holds files only");
            continue;
        }
        if (child.files.empty())
            throw InputError("directory " + Quoted(child.relative) +
                             " holds subdirectories but no file of its own; the installer creates one "
                             "directory level per file, so put a file directly into it "
                             "(an empty placeholder will do)");
        Order(child, scan);
    }
}

// Refuses two names that Windows would take for one file or directory,
// counting the block file a compressed file passes through on its way.
void CheckCollisions(const DirNode& node, std::map<std::string, std::string>& seen)
{
    auto claim = [&seen](const std::string& name, const std::string& relative) {
        auto [it, added] = seen.emplace(FoldCase(name), relative);
        if (!added)
            throw InputError(Quoted(it->second) + " and " + Quoted(relative) +
                             " would be the same file on Windows (letter case or .xxx decoding)");
    };
    for (const PackFile& file : node.files) {
        claim(file.archive_name, file.relative);
        if (file.compressed)
            claim(PlainName(file.archive_name), file.relative);
    }
    for (const DirNode& child : node.dirs) {
        claim(child.archive, child.relative);
        CheckCollisions(child, seen);
    }
}

constexpr size_t kNoMatch = std::string::npos;

bool InClass(const std::string& name, unsigned char c)
{
    static const std::pair<const char*, int (*)(int)> classes[] = {
        {"alnum", isalnum}, {"alpha", isalpha}, {"blank", isblank}, {"cntrl", iscntrl},
        {"digit", isdigit}, {"graph", isgraph}, {"lower", islower}, {"print", isprint},
        {"punct", ispunct}, {"space", isspace}, {"upper", isupper}, {"xdigit", isxdigit}};
    for (const auto& [class_name, test] : classes)
        if (name == class_name)
            return test(c) != 0;
    return false;
}

// The bracket expression at pattern[at] ('['): sets `matched` for c and
// returns the index after it, or kNoMatch when it has no end (then the
// '[' is an ordinary character).
size_t MatchBracket(const std::string& pattern, size_t at, unsigned char c, bool& matched)
{
    size_t i = at + 1;
    bool negate = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
    i += negate;
    matched = false;
    for (bool first = true; i < pattern.size() && (pattern[i] != ']' || first); first = false) {
        size_t class_end = pattern.compare(i, 2, "[:") == 0 ? pattern.find(":]", i + 2) : kNoMatch;
        if (class_end != kNoMatch) {
            matched |= InClass(pattern.substr(i + 2, class_end - i - 2), c);
            i = class_end + 2;
            continue;
        }
        auto next = [&] {
            if (pattern[i] == '\\' && i + 1 < pattern.size())
                i++;
            return static_cast<unsigned char>(pattern[i++]);
        };
        unsigned char low = next(), high = low;
        if (i + 1 < pattern.size() && pattern[i] == '-' && pattern[i + 1] != ']') {
            i++;
            high = next();
        }
        matched |= low <= c && c <= high;
    }
    if (i >= pattern.size())
        return kNoMatch;
    matched = matched != negate;
    return i + 1;
}

// The pattern element at pattern[at], not a '*', against c: the index after
// it when it matches, else kNoMatch.
size_t MatchOne(const std::string& pattern, size_t at, unsigned char c, bool whole_path)
{
    bool separator = whole_path && c == '/';  // only a '/' of the pattern matches it
    if (pattern[at] == '?')
        return separator ? kNoMatch : at + 1;
    if (pattern[at] == '[') {
        bool matched;
        size_t after = MatchBracket(pattern, at, c, matched);
        if (after != kNoMatch)
            return matched && !separator ? after : kNoMatch;
    }
    if (pattern[at] == '\\' && at + 1 < pattern.size())
        at++;
    return static_cast<unsigned char>(pattern[at]) == c ? at + 1 : kNoMatch;
}

}  // namespace

bool MatchPattern(const std::string& pattern, const std::string& text, bool whole_path)
{
    // Each '*' is tried with ever longer text; only the last one needs to
    // be, as what it cannot take an earlier one could not either.
    size_t p = 0, t = 0, star = kNoMatch, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = ++p;
            resume = t;
            continue;
        }
        size_t next = p < pattern.size() ? MatchOne(pattern, p, text[t], whole_path) : kNoMatch;
        if (next != kNoMatch) {
            p = next;
            t++;
            continue;
        }
        if (star == kNoMatch || (whole_path && text[resume] == '/'))
            return false;
        p = star;
        t = ++resume;
    }
    while (p < pattern.size() && pattern[p] == '*')
        p++;
    return p == pattern.size();
}

bool CompressRule::Matches(const std::string& relative_path) const
{
    if (all)
        return true;
    std::string name = relative_path.substr(relative_path.rfind('/') + 1);
    for (const std::string& pattern : patterns) {
        bool whole_path = pattern.find('/') != std::string::npos;
        if (MatchPattern(pattern, whole_path ? relative_path : name, whole_path))
            return true;
    }
    return false;
}

TreeScan ScanTree(const fs::path& root, const CompressRule& rule)
{
    std::error_code error;
    if (!fs::exists(root, error))
        throw InputError(error ? SystemMessage(root.string(), error.value())
                               : root.string() + ": does not exist");
    if (!fs::is_directory(root, error))
        throw InputError(root.string() + ": not a directory");
    DirNode top;
    Refusals refused;
    ScanDirectory(root, top, rule, refused);
    ReportRefusals(refused);
    Sort(top);
    std::map<std::string, std::string> seen;
    CheckCollisions(top, seen);
    TreeScan scan;
    Order(top, scan);
    if (scan.files.empty())
        throw InputError(root.string() + ": no files to pack");
    return scan;
}
