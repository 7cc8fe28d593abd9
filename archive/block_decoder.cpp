#include "archive/block_decoder.h"

#include "archive/format.h"
#include "platform/platform.h"

#ifdef ROZBAL_INFLATE_LIBDEFLATE
#include <libdeflate.h>
#else
#include <zlib.h>
#endif

// Decompresses one zlib stream of length bytes into output (BLOCK_PLAIN_MAX
// bytes). Returns the plain length, or 0 on any fault.
static uint32_t Inflate(const unsigned char* payload, uint32_t length, unsigned char* output)
{
#ifdef ROZBAL_INFLATE_LIBDEFLATE
    // The builder's verify and extract, on the build machine, decode about
    // three times as fast with libdeflate. It takes and refuses the same
    // streams as zlib's uncompress: one whole stream, bytes after it ignored,
    // header, Adler-32 and output within the buffer checked.
    size_t consumed = 0, plain_length = 0;
    struct libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    if (!decompressor)
        return 0;
    enum libdeflate_result result = libdeflate_zlib_decompress_ex(decompressor, payload, length, output,
                                                                  BLOCK_PLAIN_MAX, &consumed, &plain_length);
    libdeflate_free_decompressor(decompressor);
    return result == LIBDEFLATE_SUCCESS ? (uint32_t)plain_length : 0;
#else
    uLongf plain_length = BLOCK_PLAIN_MAX;
    return uncompress(output, &plain_length, payload, length) == Z_OK ? (uint32_t)plain_length : 0;
#endif
}

uint32_t DecodeBlockPayload(int method, const unsigned char* payload, uint32_t length, unsigned char* output,
                            const unsigned char** plain)
{
    if (method != METHOD_ZLIB) {
        *plain = payload;
        return length;
    }
    uint32_t plain_length = Inflate(payload, length, output);
    if (plain_length != 0)
        *plain = output;
    return plain_length;
}

// Result of ReadBlock.
enum { BLOCK_READ, BLOCK_END, BLOCK_BROKEN };

// Reads the next block's header and payload into header and payload, one
// read call each. The end of the file where a header or a payload starts is
// BLOCK_END; a read that fails, a header or payload cut short, a wrong marker
// or a length outside 0..32000 is BLOCK_BROKEN. A failing read is not taken
// for the end: that would pass a cut-off plain file as whole.
static int ReadBlock(SysFile file, unsigned char* header, unsigned char* payload, uint32_t* length)
{
    uint32_t moved = 0;
    if (!SysReadFile(file, header, BLOCK_HEADER_SIZE, &moved))
        return BLOCK_BROKEN;
    if (moved == 0)
        return BLOCK_END;
    if (moved != BLOCK_HEADER_SIZE || header[0] != BLOCK_MARKER)
        return BLOCK_BROKEN;
    // Signed on disk: a negative length must never become a read count.
    int32_t signed_length = (int32_t)ReadLe32(header + 2);
    if (signed_length < 0 || signed_length > BLOCK_PAYLOAD_MAX)
        return BLOCK_BROKEN;
    *length = (uint32_t)signed_length;
    if (!SysReadFile(file, payload, *length, &moved))
        return BLOCK_BROKEN;
    if (moved == 0)
        return BLOCK_END;
    return moved == *length ? BLOCK_READ : BLOCK_BROKEN;
}

int DecodeBlockFile(const char* block_path, const char* plain_path)
{
    int result = 0;
    SysFile plain = SYS_NO_FILE;
    unsigned char* input = 0;
    unsigned char* output = 0;
    SysFile block = SysOpenExclusive(block_path);
    if (block == SYS_NO_FILE)
        goto end;
    plain = SysCreateExclusive(plain_path);
    if (plain == SYS_NO_FILE)
        goto end;
    input = (unsigned char*)SysAlloc(BLOCK_PAYLOAD_MAX);
    output = (unsigned char*)SysAlloc(BLOCK_PLAIN_MAX);
    if (!input || !output)
        goto end;

    for (;;) {
        unsigned char header[BLOCK_HEADER_SIZE];
        uint32_t length = 0, written = 0;
        const unsigned char* data = 0;
        int status = ReadBlock(block, header, input, &length);
        if (status != BLOCK_READ) {
            result = status == BLOCK_END;
            break;
        }
        uint32_t count = DecodeBlockPayload(header[1], input, length, output, &data);
        if (count == 0 || !SysWriteFile(plain, data, count, &written) || written != count)
            break;
    }

end:
    SysFree(output);
    SysFree(input);
    if (plain != SYS_NO_FILE)
        SysClose(plain);
    if (block != SYS_NO_FILE)
        SysClose(block);
    return result;
}
