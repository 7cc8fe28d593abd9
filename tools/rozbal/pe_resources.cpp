#include "tools/rozbal/pe_resources.h"

#include "archive/format.h"
#include "tools/rozbal/errors.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>

namespace {

enum : size_t {
    kSectionHeaderSize = 40,
    kResourceDirectory = 2,
    kSecurityDirectory = 4,
};

// The count bytes at `at`, which must all be in the image.
const unsigned char* At(const std::vector<unsigned char>& b, size_t at, size_t count)
{
    if (at + count > b.size())
        throw InputError("the executable is cut short");
    return &b[at];
}

uint32_t Get16(const std::vector<unsigned char>& b, size_t at)
{
    return ReadLe16(At(b, at, 2));
}

uint32_t Get32(const std::vector<unsigned char>& b, size_t at)
{
    return ReadLe32(At(b, at, 4));
}

void Put16(std::vector<unsigned char>& b, size_t at, uint32_t value)
{
    b[at] = static_cast<unsigned char>(value);
    b[at + 1] = static_cast<unsigned char>(value >> 8);
}

void Put32(std::vector<unsigned char>& b, size_t at, uint32_t value)
{
    Put16(b, at, value & 0xFFFF);
    Put16(b, at + 2, value >> 16);
}

uint32_t AlignUp(uint32_t value, uint32_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

struct Section {
    size_t header;  // offset of its entry in the section table
    uint32_t virtual_size, rva, raw_size, raw_offset;
    std::string name;
};

// Where the headers of the image put things.
struct PeLayout {
    size_t optional = 0;  // the optional header
    size_t checksum = 0;  // the checksum field
    size_t directories = 0;
    uint32_t directory_count = 0;
    uint32_t section_alignment = 0, file_alignment = 0;
    std::vector<Section> sections;

    // The section holding `rva`, or null.
    const Section* Holding(uint32_t rva) const
    {
        for (const Section& s : sections)
            if (rva >= s.rva && rva - s.rva < std::max(s.virtual_size, s.raw_size))
                return &s;
        return nullptr;
    }
    uint32_t DirectoryRva(const std::vector<unsigned char>& image, size_t index) const
    {
        return index < directory_count ? Get32(image, directories + 8 * index) : 0;
    }
    uint32_t DirectorySize(const std::vector<unsigned char>& image, size_t index) const
    {
        return index < directory_count ? Get32(image, directories + 8 * index + 4) : 0;
    }
};

PeLayout ReadLayout(const std::vector<unsigned char>& image)
{
    if (image.size() < 64 || image[0] != 'M' || image[1] != 'Z')
        throw InputError("not a Windows executable");
    size_t pe = Get32(image, 0x3C);
    if (Get32(image, pe) != 0x00004550)
        throw InputError("not a Windows PE executable");
    PeLayout layout;
    size_t sections = Get16(image, pe + 6);
    layout.optional = pe + 24;
    uint32_t magic = Get16(image, layout.optional);
    if (magic != 0x10B && magic != 0x20B)
        throw InputError("the executable's optional header is neither PE32 nor PE32+");
    layout.section_alignment = Get32(image, layout.optional + 32);
    layout.file_alignment = Get32(image, layout.optional + 36);
    if (layout.file_alignment == 0 || layout.section_alignment < layout.file_alignment)
        throw InputError("the executable's section alignment is broken");
    layout.checksum = layout.optional + 64;
    size_t count_at = layout.optional + (magic == 0x10B ? 92 : 108);
    layout.directory_count = std::min<uint32_t>(Get32(image, count_at), 16);
    layout.directories = count_at + 4;
    size_t table = layout.optional + Get16(image, pe + 20);
    for (size_t i = 0; i < sections; i++) {
        size_t at = table + i * kSectionHeaderSize;
        Get32(image, at + 36);  // the whole entry is there
        Section s{at,
                  Get32(image, at + 8),
                  Get32(image, at + 12),
                  Get32(image, at + 16),
                  Get32(image, at + 20),
                  std::string(reinterpret_cast<const char*>(&image[at]), 8)};
        s.name.resize(std::strlen(s.name.c_str()));
        if (s.raw_offset + uint64_t{s.raw_size} > image.size())
            throw InputError("section " + s.name + " lies beyond the end of the executable");
        layout.sections.push_back(s);
    }
    return layout;
}

// Reads the resource tree below the directory at `offset` of the section.
class TreeReader {
  public:
    TreeReader(const std::vector<unsigned char>& image, const PeLayout& layout, const Section& section)
        : image_(image), layout_(layout), section_(section)
    {
    }

    void Read(std::vector<Resource>& out)
    {
        Resource resource;
        Directory(0, 0, resource, out);
    }

  private:
    uint32_t At(uint32_t offset, uint32_t size) const
    {
        if (uint64_t{offset} + size > section_.raw_size)
            throw InputError("the resource tree reaches beyond its section");
        return section_.raw_offset + offset;
    }

    ResourceKey Key(uint32_t field) const
    {
        ResourceKey key;
        if (!(field & 0x80000000)) {
            key.id = static_cast<uint16_t>(field);
            return key;
        }
        uint32_t at = At(field & 0x7FFFFFFF, 2);
        uint32_t length = Get16(image_, at);
        At((field & 0x7FFFFFFF) + 2, 2 * length);
        for (uint32_t i = 0; i < length; i++)
            key.text += static_cast<char16_t>(Get16(image_, at + 2 + 2 * i));
        return key;
    }

    void Directory(uint32_t offset, int level, Resource& resource, std::vector<Resource>& out)
    {
        if (++directories_ > 10000)
            throw InputError("the resource tree is too large");
        uint32_t at = At(offset, 16);
        uint32_t entries = Get16(image_, at + 12) + Get16(image_, at + 14);
        At(offset + 16, 8 * entries);
        for (uint32_t i = 0; i < entries; i++) {
            uint32_t name = Get32(image_, at + 16 + 8 * i), target = Get32(image_, at + 20 + 8 * i);
            ResourceKey key = Key(name);
            if (level == 0)
                resource.type = key;
            else if (level == 1)
                resource.name = key;
            else
                resource.language = key.id;
            bool directory = target & 0x80000000;
            if (directory != (level < 2))
                throw InputError("the resource tree is not three levels deep");
            if (directory) {
                Directory(target & 0x7FFFFFFF, level + 1, resource, out);
                continue;
            }
            uint32_t entry = At(target, 16);
            uint32_t rva = Get32(image_, entry), size = Get32(image_, entry + 4);
            const Section* holder = layout_.Holding(rva);
            if (!holder || uint64_t{rva - holder->rva} + size > holder->raw_size)
                throw InputError("a resource's data lies outside the executable");
            size_t data = holder->raw_offset + (rva - holder->rva);
            resource.code_page = Get32(image_, entry + 8);
            resource.data.assign(image_.begin() + data, image_.begin() + data + size);
            out.push_back(resource);
        }
    }

    const std::vector<unsigned char>& image_;
    const PeLayout& layout_;
    const Section& section_;
    int directories_ = 0;
};

const Section* ResourceSection(const std::vector<unsigned char>& image, const PeLayout& layout)
{
    uint32_t rva = layout.DirectoryRva(image, kResourceDirectory);
    if (rva == 0 || layout.DirectorySize(image, kResourceDirectory) == 0)
        return nullptr;
    const Section* section = layout.Holding(rva);
    if (!section || section->rva != rva)
        throw InputError("the resource directory does not begin a section");
    return section;
}

// Names first, in code unit order, then numbers, ascending: the order the
// system's lookups take the tree in.
bool KeyBefore(const ResourceKey& a, const ResourceKey& b)
{
    bool a_named = !a.text.empty(), b_named = !b.text.empty();
    if (a_named != b_named)
        return a_named;
    return a_named ? a.text < b.text : a.id < b.id;
}

struct KeyOrder {
    bool operator()(const ResourceKey& a, const ResourceKey& b) const
    {
        return KeyBefore(a, b);
    }
};

// The bytes of a resource section at `rva` holding `resources`: all
// directories, then the data entries, then the name strings, then the data,
// each resource's on 8 bytes.
std::vector<unsigned char> BuildSection(const std::vector<Resource>& resources, uint32_t rva)
{
    using Languages = std::map<uint16_t, const Resource*>;
    using Names = std::map<ResourceKey, Languages, KeyOrder>;
    std::map<ResourceKey, Names, KeyOrder> tree;
    for (const Resource& r : resources)
        if (!tree[r.type][r.name].emplace(r.language, &r).second)
            throw InputError("two resources of the same type, name and language");

    auto directory_size = [](size_t entries) { return uint32_t(16 + 8 * entries); };
    uint32_t size = directory_size(tree.size());
    std::map<const void*, uint32_t> directory_at;  // Names or Languages -> offset
    for (auto& [type, names] : tree) {
        directory_at[&names] = size;
        size += directory_size(names.size());
    }
    for (auto& [type, names] : tree)
        for (auto& [name, languages] : names) {
            directory_at[&languages] = size;
            size += directory_size(languages.size());
        }
    uint32_t entries_at = size;
    size += 16 * static_cast<uint32_t>(resources.size());
    std::map<std::u16string, uint32_t> string_at;
    for (auto& [type, names] : tree)
        for (auto& [name, languages] : names)
            for (const ResourceKey* key : {&type, &name})
                if (!key->text.empty() && string_at.emplace(key->text, size).second)
                    size += 2 + 2 * static_cast<uint32_t>(key->text.size());
    std::vector<unsigned char> out(size);

    auto write_directory = [&](uint32_t at, size_t named, size_t numbered) {
        Put16(out, at + 12, static_cast<uint32_t>(named));
        Put16(out, at + 14, static_cast<uint32_t>(numbered));
    };
    auto key_field = [&](const ResourceKey& key) {
        return key.text.empty() ? key.id : 0x80000000u | string_at[key.text];
    };
    auto count_named = [](const auto& map) {
        return std::count_if(map.begin(), map.end(),
                             [](const auto& item) { return !item.first.text.empty(); });
    };
    for (const auto& [text, at] : string_at) {
        Put16(out, at, static_cast<uint32_t>(text.size()));
        for (size_t i = 0; i < text.size(); i++)
            Put16(out, at + 2 + 2 * i, text[i]);
    }
    size_t named_types = count_named(tree);
    write_directory(0, named_types, tree.size() - named_types);
    uint32_t entry = 16, data_entry = entries_at;
    for (auto& [type, names] : tree) {
        Put32(out, entry, key_field(type));
        Put32(out, entry + 4, 0x80000000u | directory_at[&names]);
        entry += 8;
        uint32_t name_dir = directory_at[&names], name_entry = name_dir + 16;
        size_t named = count_named(names);
        write_directory(name_dir, named, names.size() - named);
        for (auto& [name, languages] : names) {
            Put32(out, name_entry, key_field(name));
            Put32(out, name_entry + 4, 0x80000000u | directory_at[&languages]);
            name_entry += 8;
            uint32_t language_dir = directory_at[&languages], language_entry = language_dir + 16;
            write_directory(language_dir, 0, languages.size());
            for (auto& [language, resource] : languages) {
                Put32(out, language_entry, language);
                Put32(out, language_entry + 4, data_entry);
                language_entry += 8;
                out.resize(AlignUp(static_cast<uint32_t>(out.size()), 8));
                Put32(out, data_entry, rva + static_cast<uint32_t>(out.size()));
                Put32(out, data_entry + 4, static_cast<uint32_t>(resource->data.size()));
                Put32(out, data_entry + 8, resource->code_page);
                data_entry += 16;
                out.insert(out.end(), resource->data.begin(), resource->data.end());
            }
        }
    }
    return out;
}

}  // namespace

std::vector<Resource> ReadResources(const std::vector<unsigned char>& image)
{
    PeLayout layout = ReadLayout(image);
    std::vector<Resource> resources;
    if (const Section* section = ResourceSection(image, layout))
        TreeReader(image, layout, *section).Read(resources);
    return resources;
}

void WriteResources(std::vector<unsigned char>& image, const std::vector<Resource>& resources)
{
    PeLayout layout = ReadLayout(image);
    const Section* found = ResourceSection(image, layout);
    if (!found)
        throw InputError("the stub has no resource section");
    if (layout.DirectorySize(image, kSecurityDirectory))
        throw InputError("the stub is signed");
    Section rsrc = *found;
    // Sections after it move; only the base relocations may: nothing refers
    // to them by address but their directory.
    std::vector<Section> after;
    for (const Section& s : layout.sections)
        if (s.rva > rsrc.rva) {
            if (s.name != ".reloc" || s.raw_offset < rsrc.raw_offset)
                throw InputError("the stub has section " + s.name +
                                 " after its resources, which cannot move");
            after.push_back(s);
        }
    std::sort(after.begin(), after.end(), [](const Section& a, const Section& b) { return a.rva < b.rva; });

    std::vector<unsigned char> section = BuildSection(resources, rsrc.rva);
    auto used = static_cast<uint32_t>(section.size());
    uint32_t raw_size = AlignUp(used, layout.file_alignment);
    section.resize(raw_size);
    uint32_t end = rsrc.raw_offset + rsrc.raw_size;
    for (const Section& s : after)
        end = std::max(end, s.raw_offset + s.raw_size);
    std::vector<unsigned char> out(image.begin(), image.begin() + rsrc.raw_offset);
    out.insert(out.end(), section.begin(), section.end());
    uint32_t next_rva = AlignUp(rsrc.rva + used, layout.section_alignment);
    std::vector<std::tuple<uint32_t, uint32_t, uint32_t>> moves;  // old rva, size, new rva
    for (const Section& s : after) {
        Put32(out, s.header + 12, next_rva);
        Put32(out, s.header + 20, static_cast<uint32_t>(out.size()));
        moves.emplace_back(s.rva, std::max(s.virtual_size, s.raw_size), next_rva);
        out.insert(out.end(), image.begin() + s.raw_offset, image.begin() + s.raw_offset + s.raw_size);
        next_rva = AlignUp(next_rva + std::max(s.virtual_size, s.raw_size), layout.section_alignment);
    }
    out.insert(out.end(), image.begin() + end, image.end());  // anything after the sections

    Put32(out, rsrc.header + 8, used);
    Put32(out, rsrc.header + 16, raw_size);
    Put32(out, layout.directories + 8 * kResourceDirectory + 4, used);
    for (size_t d = 0; d < layout.directory_count; d++) {
        uint32_t rva = Get32(out, layout.directories + 8 * d);
        for (auto [old_rva, size, new_rva] : moves)
            if (rva >= old_rva && rva - old_rva < size)
                Put32(out, layout.directories + 8 * d, new_rva + (rva - old_rva));
    }
    Put32(out, layout.optional + 56, next_rva);  // SizeOfImage
    Put32(out, layout.optional + 8, Get32(out, layout.optional + 8) + raw_size - rsrc.raw_size);
    Put32(out, layout.checksum, 0);
    Put32(out, layout.checksum, PeChecksum(out));
    image.swap(out);
}

uint32_t PeChecksum(const std::vector<unsigned char>& image)
{
    size_t field = ReadLayout(image).checksum;
    uint64_t sum = 0;
    for (size_t i = 0; i < image.size(); i += 2) {
        if (i == field || i == field + 2)
            continue;
        sum += image[i] | (i + 1 < image.size() ? image[i + 1] << 8 : 0);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + image.size());
}
