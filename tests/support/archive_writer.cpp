#include "tests/support/archive_writer.h"

#include <string.h>

#include <algorithm>

#include "archive/format.h"
#include "tests/support/little_endian.h"

static void CopyField(char* field, const std::string& text)
{
    memset(field, 0, TEXT_FIELD_SIZE);
    memcpy(field, text.data(), std::min<size_t>(text.size(), TEXT_FIELD_SIZE));
}

std::string Header(uint32_t file_count, uint32_t close_when_done, const std::string& setup_program,
                   const std::string& title, const std::string& password)
{
    ArchiveHeader header{file_count, close_when_done, {}, {}, {}};
    unsigned char raw[ARCHIVE_HEADER_SIZE];
    CopyField(header.setup_program, setup_program);
    CopyField(header.title, title);
    CopyField(header.password, password);
    EncodeArchiveHeader(&header, raw);
    return std::string((const char*)raw, sizeof raw);
}

std::string PieceClaiming(uint32_t flags, const std::string& name, uint32_t size, const std::string& data)
{
    EntryRecord record{flags, size, {}};
    unsigned char raw[ENTRY_RECORD_SIZE];
    CopyField(record.name, name);
    EncodeEntryRecord(&record, raw);
    return std::string((const char*)raw, sizeof raw) + data;
}

std::string Piece(uint32_t flags, const std::string& name, const std::string& data)
{
    return PieceClaiming(flags, name, (uint32_t)data.size(), data);
}

std::string InstallerWithStub(const std::string& stub, const std::string& header, const std::string& pieces)
{
    return stub + header + pieces + LittleEndian32((uint32_t)stub.size());
}

std::string Installer(const std::string& header, const std::string& pieces)
{
    return InstallerWithStub("MZ not really a program, only the bytes before the archive", header, pieces);
}

std::string WindowsProgram(size_t size, uint16_t machine, uint16_t subsystem)
{
    const size_t kPe = 64, kOptional = kPe + 24, kOptionalSize = 224,
                 kHeaders = kOptional + kOptionalSize + 40;
    std::string program(std::max(size, kHeaders), '\0');
    auto put16 = [&program](size_t at, uint16_t value) {
        program[at] = (char)(value & 0xFF);
        program[at + 1] = (char)(value >> 8);
    };
    program.replace(0, 2, "MZ");
    program.replace(0x3C, 4, LittleEndian32(kPe));
    program.replace(kPe, 4, std::string("PE\0\0", 4));
    put16(kPe + 4, machine);
    put16(kPe + 6, 1);  // one section
    put16(kPe + 20, kOptionalSize);
    put16(kOptional, 0x10B);
    program.replace(kOptional + 60, 4, LittleEndian32(kHeaders));
    put16(kOptional + 68, subsystem);
    size_t section = kOptional + kOptionalSize;
    program.replace(section, 5, ".text");
    program.replace(section + 16, 4, LittleEndian32((uint32_t)(program.size() - kHeaders)));
    program.replace(section + 20, 4, LittleEndian32(kHeaders));
    std::fill(program.begin() + kHeaders, program.end(), 'M');
    return program;
}

std::string Block(unsigned char marker, unsigned char method, int32_t length, const std::string& payload)
{
    return std::string{(char)marker, (char)method} + LittleEndian32((uint32_t)length) + payload;
}

std::string StoredBlocks(const std::vector<std::string>& parts)
{
    std::string blocks;
    for (const std::string& part : parts)
        blocks += Block(BLOCK_MARKER, 0, (int32_t)part.size(), part);
    return blocks;
}


std::string MakeData(size_t size, bool noise, unsigned seed)
{
    std::string data(size, '\0');
    uint32_t state = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; i++) {
        state = state * 1664525u + 1013904223u;
        data[i] = noise ? (char)(state >> 24) : "lorem ipsum dolor sit amet\n"[(state >> 28) + i % 11];
    }
    return data;
}
