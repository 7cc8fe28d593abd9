// Reads the input as an archive file: header, then every record and piece
// the file holds. Its leading bytes also serve as a volume number and an
// archive path for the volume name, checked against the naming rule.
#include "archive/container.h"
#include "archive/path.h"
#include "fuzz/temp_input.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

void Check(bool holds)
{
    if (!holds)
        abort();
}

bool Terminated(const char* field) { return memchr(field, 0, TEXT_FIELD_SIZE) != nullptr; }

void ReadArchive(const std::string& path)
{
    static unsigned char piece[1 << 20];
    SysFile file = SysOpenFile(path.c_str(), SYS_OPEN_READ);
    Check(file != SYS_NO_FILE);
    ArchiveHeader header;
    if (ReadArchiveHeader(file, &header)) {
        Check(Terminated(header.setup_program) && Terminated(header.title) && Terminated(header.password));
        EntryRecord record;
        // Every round takes at least 56 bytes, so the file bounds the loop.
        while (ReadEntryRecord(file, &record) == RECORD_READ && record.size <= sizeof piece &&
               ReadPieceData(file, piece, record.size))
            Check(Terminated(record.name));
    }
    SysClose(file);
}

void NameVolume(const uint8_t* data, size_t size)
{
    if (size < 4)
        return;
    unsigned volume = ReadLe32(data);
    std::string path(reinterpret_cast<const char*>(data + 4), strnlen(reinterpret_cast<const char*>(data + 4), std::min<size_t>(size - 4, 300)));
    char drive[PART_DRIVE_SIZE], directory[PART_SIZE], base[PART_SIZE], extension[PART_SIZE];
    SplitPath(path.c_str(), drive, directory, base, extension);
    bool whole = strlen(drive) + strlen(directory) + strlen(base) + strlen(extension) == path.size();
    char number[16];
    snprintf(number, sizeof number, "%.2u", volume);
    std::string expected = path.substr(0, path.size() - strlen(extension)) +
                           std::string(extension).substr(0, 2) + number;

    char out[SYS_PATH_SIZE + 1];
    out[SYS_PATH_SIZE] = '#';
    int made = MakeVolumeName(path.c_str(), volume, out, SYS_PATH_SIZE);
    Check(out[SYS_PATH_SIZE] == '#');
    Check(made == (whole && expected.size() < SYS_PATH_SIZE));
    Check(!made || expected == out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReadArchive(WriteTempFile("archive.exe", data, size));
    NameVolume(data, size);
    return 0;
}
