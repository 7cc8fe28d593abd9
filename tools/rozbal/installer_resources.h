// The installer's icon and version information: what pack adds to its copy
// of the stub, and what list and verify read back from an installer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

struct ResourceOptions {
    std::filesystem::path icon;  // an .ico file; empty: the stub's default
    // UTF-8 texts of the version information; empty ones are left out.
    std::string product_name, product_version, file_version, company, description, copyright;

    bool AnyVersion() const
    {
        return !(product_name + product_version + file_version + company + description + copyright).empty();
    }
};

// One image of an .ico file, as its directory entry gives it.
struct IconImage {
    unsigned width, height;  // 1 to 256
    unsigned colors, planes, bit_count;
    bool png;
    std::string data;
};

// The images of an .ico file, in its order. Throws InputError saying what
// is wrong: no icon directory, a wrong type, no images, a directory or an
// image beyond the end of the file, an image that is neither PNG nor a
// Windows bitmap.
std::vector<IconImage> ParseIcon(const std::string& bytes);

// Adds the icon (the first icon group, with all its images) and, when any
// text is given, the version information (Czech, code page 1250, with
// OriginalFilename `output_name`) to the stub image. Leaves the stub as it
// is when nothing is asked for. Throws UsageError for a text that code page
// 1250 cannot hold or a bad --file-version, InputError for a bad icon or a
// stub that cannot take them (not a PE file, resources of these types
// already).
void AddResources(std::vector<unsigned char>& stub, const ResourceOptions& options,
                  const std::string& output_name);

// What an installer shows of itself.
struct InstallerLook {
    std::vector<IconImage> icon;  // the first icon group's images (data left empty)
    std::vector<std::pair<std::string, std::string>> version;  // name, UTF-8 text, in stored order
};

// Reads the icon and the version strings from the first `stub_size` bytes
// of `installer`. A stub that is not a PE file, or whose resources cannot
// be read, shows nothing.
InstallerLook ReadLook(const std::filesystem::path& installer, uint32_t stub_size);

// "16x16 32-bit, 256x256 PNG".
std::string DescribeIcon(const std::vector<IconImage>& icon);
