// The resources of a Windows executable (PE32 or PE32+): reading its
// resource tree, and writing the tree again with resources added. The
// builder adds the installer's icon and version information to its copy of
// the stub this way, before the archive is appended.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A resource type or name: a number, or a string when `text` is not empty.
struct ResourceKey {
    uint16_t id = 0;
    std::u16string text;

    bool operator==(const ResourceKey& other) const
    {
        return id == other.id && text == other.text;
    }
};

struct Resource {
    ResourceKey type, name;
    uint16_t language = 0;
    uint32_t code_page = 0;
    std::vector<unsigned char> data;
};

enum : uint16_t {
    RESOURCE_ICON = 3,
    RESOURCE_GROUP_ICON = 14,
    RESOURCE_VERSION = 16,
};

// Reads every resource of the executable `image`, in the tree's order.
// Throws InputError, saying what is wrong, when the image is not a PE file
// or its resource tree does not lie within it; an image without resources
// gives none.
std::vector<Resource> ReadResources(const std::vector<unsigned char>& image);

// Rewrites the resource section of `image` to hold `resources` (existing
// ones are given back as ReadResources read them, so their bytes stay),
// moves the sections after it, and fixes the section table, the data
// directories, SizeOfImage, SizeOfInitializedData and the checksum. Throws
// InputError when the image has no resource section, or after it sections
// other than the base relocations, which nothing addresses, or a
// certificate table.
void WriteResources(std::vector<unsigned char>& image, const std::vector<Resource>& resources);

// The PE checksum of `image` (the checksum field itself counted as zero).
uint32_t PeChecksum(const std::vector<unsigned char>& image);
