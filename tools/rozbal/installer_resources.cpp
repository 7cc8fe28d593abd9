#include "tools/rozbal/installer_resources.h"

#include "archive/format.h"
#include "tools/rozbal/errors.h"
#include "tools/rozbal/names.h"
#include "tools/rozbal/pe_resources.h"
#include "tools/rozbal/utf.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {

constexpr uint16_t kCzech = 0x0405;
constexpr uint16_t kCodePage = 1250;
const char kPng[] = "\x89PNG\r\n\x1A\n";
// A stub larger than this is none of ours: its resources are not read.
constexpr uint32_t kLargestStub = 64 << 20;

// The callers check the bounds.
unsigned Le16(const std::string& b, size_t at)
{
    return ReadLe16(reinterpret_cast<const unsigned char*>(b.data()) + at);
}

unsigned Le32(const std::string& b, size_t at)
{
    return ReadLe32(reinterpret_cast<const unsigned char*>(b.data()) + at);
}

void Add16(std::vector<unsigned char>& out, unsigned value)
{
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void Add32(std::vector<unsigned char>& out, uint32_t value)
{
    Add16(out, value & 0xFFFF);
    Add16(out, value >> 16);
}

void Pad4(std::vector<unsigned char>& out)
{
    out.resize((out.size() + 3) / 4 * 4);
}

std::u16string Utf16(const std::string& utf8)
{
    std::u32string points;
    DecodeUtf8(utf8, points);  // checked by the caller's code page 1250 conversion
    return EncodeUtf16(points);
}

// A node of the version information: length, value length, type, key,
// value, children, each on 4 bytes.
std::vector<unsigned char> VersionNode(const std::u16string& key, const std::vector<unsigned char>& value,
                                       unsigned value_length, bool text,
                                       const std::vector<std::vector<unsigned char>>& children)
{
    std::vector<unsigned char> node(4);
    Add16(node, text ? 1 : 0);
    for (char16_t c : key + u'\0')
        Add16(node, c);
    Pad4(node);
    node.insert(node.end(), value.begin(), value.end());
    for (const auto& child : children) {
        Pad4(node);
        node.insert(node.end(), child.begin(), child.end());
    }
    if (node.size() > 0xFFFF)
        throw UsageError("the version information is too long (at most 64 KiB)");
    node[0] = static_cast<unsigned char>(node.size());
    node[1] = static_cast<unsigned char>(node.size() >> 8);
    node[2] = static_cast<unsigned char>(value_length);
    node[3] = static_cast<unsigned char>(value_length >> 8);
    return node;
}

// "a.b.c.d" (1 to 4 numbers, 0 to 65535, missing ones 0) as the two words
// of the fixed part; false when `text` is not that.
bool ParseVersion(const std::string& text, uint32_t& high, uint32_t& low)
{
    unsigned parts[4] = {0, 0, 0, 0};
    size_t count = 0, at = 0;
    while (count < 4) {
        size_t end = std::min(text.find('.', at), text.size());
        std::string part = text.substr(at, end - at);
        if (part.empty() || part.size() > 5 || part.find_first_not_of("0123456789") != std::string::npos ||
            std::stoul(part) > 0xFFFF)
            return false;
        parts[count++] = static_cast<unsigned>(std::stoul(part));
        if (end == text.size()) {
            high = parts[0] << 16 | parts[1];
            low = parts[2] << 16 | parts[3];
            return true;
        }
        at = end + 1;
    }
    return false;
}

std::vector<unsigned char> VersionResource(const ResourceOptions& options, const std::string& output_name)
{
    const std::pair<const char*, std::pair<const std::string*, const char*>> fields[] = {
        {"CompanyName", {&options.company, "--company"}},
        {"FileDescription", {&options.description, "--description"}},
        {"FileVersion", {&options.file_version, "--file-version"}},
        {"LegalCopyright", {&options.copyright, "--copyright"}},
        {"OriginalFilename", {&output_name, "-o"}},
        {"ProductName", {&options.product_name, "--product-name"}},
        {"ProductVersion", {&options.product_version, "--product-version"}},
    };
    std::vector<std::vector<unsigned char>> strings;
    for (const auto& [key, field] : fields) {
        const auto& [text, option] = field;
        std::string cp1250;
        if (text->empty())
            continue;
        if (!Utf8ToCp1250(*text, cp1250))
            throw UsageError(std::string(option) + ": the text cannot be written in code page 1250");
        std::vector<unsigned char> value;
        std::u16string utf16 = Utf16(*text) + u'\0';
        for (char16_t c : utf16)
            Add16(value, c);
        strings.push_back(VersionNode(Utf16(key), value, static_cast<unsigned>(utf16.size()), true, {}));
    }
    uint32_t file_high = 0, file_low = 0, product_high, product_low;
    if (!options.file_version.empty() && !ParseVersion(options.file_version, file_high, file_low))
        throw UsageError("--file-version " + options.file_version +
                         ": give it as a.b.c.d, numbers from 0 to 65535");
    if (!ParseVersion(options.product_version, product_high, product_low)) {
        product_high = file_high;
        product_low = file_low;
    }
    std::vector<unsigned char> fixed;
    for (uint32_t word : {0xFEEF04BDu, 0x00010000u, file_high, file_low, product_high, product_low, 0x3Fu, 0u,
                          0x00040004u /* VOS_NT_WINDOWS32 */, 1u /* VFT_APP */, 0u, 0u, 0u})
        Add32(fixed, word);
    std::vector<unsigned char> translation;
    Add16(translation, kCzech);
    Add16(translation, kCodePage);
    auto table = VersionNode(u"040504e2", {}, 0, true, strings);
    auto string_info = VersionNode(u"StringFileInfo", {}, 0, true, {table});
    auto var = VersionNode(u"Translation", translation, 4, false, {});
    auto var_info = VersionNode(u"VarFileInfo", {}, 0, true, {var});
    return VersionNode(u"VS_VERSION_INFO", fixed, static_cast<unsigned>(fixed.size()), false,
                       {string_info, var_info});
}

// A node of version information read back.
struct Node {
    std::u16string key;
    std::vector<unsigned char> value;  // the value's bytes, as many as the node holds
    unsigned value_length = 0;
    std::vector<Node> children;
};

// Reads the node at `at`; false when it does not fit in `end`.
bool ReadNode(const std::vector<unsigned char>& b, size_t at, size_t end, Node& node, int depth = 0)
{
    if (at + 6 > end || depth > 4)
        return false;
    size_t length = b[at] | b[at + 1] << 8;
    if (length < 6 || at + length > end)
        return false;
    end = at + length;
    node.value_length = b[at + 2] | b[at + 3] << 8;
    bool text = (b[at + 4] | b[at + 5] << 8) == 1;
    size_t i = at + 6;
    for (; i + 1 < end && (b[i] | b[i + 1]); i += 2)
        node.key += static_cast<char16_t>(b[i] | b[i + 1] << 8);
    i = (i + 2 + 3) / 4 * 4;
    size_t value_bytes = std::min(end - std::min(i, end), size_t{text ? 2u : 1u} * node.value_length);
    if (i < end)
        node.value.assign(b.begin() + i, b.begin() + i + value_bytes);
    for (i = (i + value_bytes + 3) / 4 * 4; i < end; i = (i + 3) / 4 * 4) {
        Node child;
        if (!ReadNode(b, i, end, child, depth + 1))
            return false;
        i += b[i] | b[i + 1] << 8;
        node.children.push_back(child);
    }
    return true;
}

std::string Utf8Of(std::u16string units)
{
    units = units.substr(0, units.find(u'\0'));
    std::u32string points;
    return DecodeUtf16(units, points) ? EncodeUtf8(points) : std::string("?");
}

std::vector<std::pair<std::string, std::string>> VersionStrings(const std::vector<unsigned char>& data)
{
    std::vector<std::pair<std::string, std::string>> strings;
    Node root;
    if (!ReadNode(data, 0, data.size(), root))
        return strings;
    for (const Node& info : root.children)
        if (info.key == u"StringFileInfo" && !info.children.empty())
            for (const Node& string : info.children[0].children) {
                std::u16string value;
                for (size_t i = 0; i + 1 < string.value.size(); i += 2)
                    value += static_cast<char16_t>(string.value[i] | string.value[i + 1] << 8);
                strings.emplace_back(Utf8Of(string.key), Utf8Of(value));
            }
    return strings;
}

// The first resource of `type`, or null.
const Resource* First(const std::vector<Resource>& resources, uint16_t type)
{
    for (const Resource& r : resources)
        if (r.type.text.empty() && r.type.id == type)
            return &r;
    return nullptr;
}

}  // namespace

std::vector<IconImage> ParseIcon(const std::string& bytes)
{
    if (bytes.size() < 6)
        throw InputError("too short for an icon directory");
    if (Le16(bytes, 0) != 0 || Le16(bytes, 2) != 1)
        throw InputError("not an icon file (its directory does not say type 1, icon)");
    size_t count = Le16(bytes, 4);
    if (count == 0)
        throw InputError("the icon holds no images");
    if (6 + 16 * count > bytes.size())
        throw InputError("the icon's directory of " + std::to_string(count) + " images is cut short");
    std::vector<IconImage> images;
    for (size_t i = 0; i < count; i++) {
        size_t entry = 6 + 16 * i;
        uint64_t size = Le32(bytes, entry + 8), offset = Le32(bytes, entry + 12);
        std::string number = "image " + std::to_string(i + 1);
        if (size == 0 || offset + size > bytes.size())
            throw InputError(number + " lies beyond the end of the file");
        std::string data = bytes.substr(offset, size);
        bool png = data.compare(0, 8, kPng, 8) == 0;
        if (!png && (size < 40 || Le32(data, 0) != 40))
            throw InputError(number + " is neither PNG nor a Windows bitmap");
        auto side = [&](size_t at) { return bytes[at] ? static_cast<unsigned char>(bytes[at]) : 256u; };
        images.push_back({side(entry), side(entry + 1), static_cast<unsigned char>(bytes[entry + 2]),
                          Le16(bytes, entry + 4), Le16(bytes, entry + 6), png, data});
    }
    return images;
}

void AddResources(std::vector<unsigned char>& stub, const ResourceOptions& options,
                  const std::string& output_name)
{
    if (options.icon.empty() && !options.AnyVersion())
        return;
    std::vector<unsigned char> version;
    if (options.AnyVersion())
        version = VersionResource(options, output_name);
    std::vector<IconImage> images;
    if (!options.icon.empty()) {
        std::string bytes = ReadInputFile("the icon", options.icon);
        try {
            images = ParseIcon(bytes);
        } catch (const InputError& e) {
            throw InputError("--icon " + options.icon.string() + ": " + e.what());
        }
    }

    std::vector<Resource> resources;
    try {
        resources = ReadResources(stub);
    } catch (const InputError& e) {
        throw InputError(std::string("the stub cannot take an icon or version information: ") + e.what());
    }
    uint16_t next_icon = 1;
    for (const Resource& r : resources) {
        bool ours =
            r.type.text.empty() && (r.type.id == RESOURCE_GROUP_ICON || r.type.id == RESOURCE_VERSION);
        if (ours && (r.type.id == RESOURCE_VERSION ? !version.empty() : !images.empty()))
            throw InputError("the stub has an icon group or version information of its own");
        if (r.type.text.empty() && r.type.id == RESOURCE_ICON && r.name.text.empty())
            next_icon = std::max<uint16_t>(next_icon, r.name.id + 1);
    }
    if (next_icon + images.size() > 0xFFFF)
        throw InputError("the stub has no room for more icon images");
    // The group: the .ico directory with each image's number in place of
    // its offset.
    std::vector<unsigned char> group;
    Add16(group, 0);
    Add16(group, 1);
    Add16(group, static_cast<unsigned>(images.size()));
    for (const IconImage& image : images) {
        for (unsigned side : {image.width, image.height, image.colors, 0u})
            group.push_back(static_cast<unsigned char>(side));
        Add16(group, image.planes);
        Add16(group, image.bit_count);
        Add32(group, static_cast<uint32_t>(image.data.size()));
        Add16(group, next_icon);
        resources.push_back(
            {{RESOURCE_ICON, {}}, {next_icon++, {}}, kCzech, 0, {image.data.begin(), image.data.end()}});
    }
    if (!images.empty())
        resources.push_back({{RESOURCE_GROUP_ICON, {}}, {1, {}}, kCzech, 0, group});
    if (!version.empty())
        resources.push_back({{RESOURCE_VERSION, {}}, {1, {}}, kCzech, 0, version});
    WriteResources(stub, resources);
}

InstallerLook ReadLook(const std::filesystem::path& installer, uint32_t stub_size)
{
    InstallerLook look;
    if (stub_size > kLargestStub)
        return look;
    std::ifstream in(installer, std::ios::binary);
    std::vector<unsigned char> image(stub_size);
    if (!in.read(reinterpret_cast<char*>(image.data()), stub_size))
        return look;
    std::vector<Resource> resources;
    try {
        resources = ReadResources(image);
    } catch (const InputError&) {
        return look;  // not a stub of ours: nothing to show
    }
    if (const Resource* version = First(resources, RESOURCE_VERSION))
        look.version = VersionStrings(version->data);
    const Resource* group = First(resources, RESOURCE_GROUP_ICON);
    if (!group)
        return look;
    std::string g(group->data.begin(), group->data.end());
    for (size_t i = 0; g.size() >= 6 && i < Le16(g, 4) && 6 + 14 * (i + 1) <= g.size(); i++) {
        size_t entry = 6 + 14 * i;
        auto side = [&](size_t at) { return g[at] ? static_cast<unsigned char>(g[at]) : 256u; };
        bool png = false;
        for (const Resource& r : resources)
            if (r.type.text.empty() && r.type.id == RESOURCE_ICON && r.name.text.empty() &&
                r.name.id == Le16(g, entry + 12))
                png = r.data.size() >= 8 && std::memcmp(r.data.data(), kPng, 8) == 0;
        look.icon.push_back({side(entry),
                             side(entry + 1),
                             static_cast<unsigned char>(g[entry + 2]),
                             Le16(g, entry + 4),
                             Le16(g, entry + 6),
                             png,
                             {}});
    }
    return look;
}

std::string DescribeIcon(const std::vector<IconImage>& icon)
{
    std::string text;
    for (const IconImage& image : icon) {
        text += text.empty() ? "" : ", ";
        text += std::to_string(image.width) + "x" + std::to_string(image.height) + " ";
        text += image.png ? "PNG" : std::to_string(image.bit_count) + "-bit";
    }
    return text;
}
