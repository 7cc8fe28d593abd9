#include "archive/block_decoder.h"

#include "archive/format.h"
#include "platform/platform.h"

#ifdef ROZBAL_INFLATE_LIBDEFLATE
#include <libdeflate.h>
#include <pthread.h>
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

#ifdef ROZBAL_INFLATE_LIBDEFLATE
// The builder reads blocks in batches and decodes a batch's blocks, which
// are independent streams, on two threads; the installer one at a time.
enum { BATCH_BLOCKS = 32 };
#else
enum { BATCH_BLOCKS = 1 };
#endif

// Blocks read ahead of their decoding: block i's payload at input + i *
// BLOCK_PAYLOAD_MAX, its decoded data at output + i * BLOCK_PLAIN_MAX.
struct Batch {
    unsigned count;
    unsigned char* input;
    unsigned char* output;
    int method[BATCH_BLOCKS];
    uint32_t length[BATCH_BLOCKS];  // payload bytes, then plain bytes (0: does not decode)
    const unsigned char* plain[BATCH_BLOCKS];
};

// Decodes blocks first to end - 1 of batch in place of their lengths.
static void DecodeBlocks(Batch* batch, unsigned first, unsigned end)
{
    for (unsigned i = first; i < end; i++)
        batch->length[i] =
            DecodeBlockPayload(batch->method[i], batch->input + i * BLOCK_PAYLOAD_MAX, batch->length[i],
                               batch->output + i * BLOCK_PLAIN_MAX, &batch->plain[i]);
}

#ifdef ROZBAL_INFLATE_LIBDEFLATE
static void* DecodeUpperHalf(void* batch)
{
    Batch* blocks = (Batch*)batch;
    DecodeBlocks(blocks, blocks->count / 2, blocks->count);
    return 0;
}

// A thread per batch costs little next to decoding 32 blocks; when none can
// be started, this thread decodes them all.
static void DecodeBatch(Batch* batch)
{
    pthread_t helper;
    if (batch->count < 2 || pthread_create(&helper, 0, DecodeUpperHalf, batch) != 0) {
        DecodeBlocks(batch, 0, batch->count);
        return;
    }
    DecodeBlocks(batch, 0, batch->count / 2);
    pthread_join(helper, 0);
}
#else
static void DecodeBatch(Batch* batch)
{
    DecodeBlocks(batch, 0, batch->count);
}
#endif

// Writes the batch's decoded blocks in order up to the first that did not
// decode. Returns non-zero when all of them decoded and were written whole.
static int WriteBatch(SysFile plain, const Batch* batch)
{
    for (unsigned i = 0; i < batch->count; i++) {
        uint32_t written = 0;
        if (batch->length[i] == 0 || !SysWriteFile(plain, batch->plain[i], batch->length[i], &written) ||
            written != batch->length[i])
            return 0;
    }
    return 1;
}

int DecodeBlockFile(const char* block_path, const char* plain_path, int (*keep_going)(void))
{
    int result = 0;
    SysFile plain = SYS_NO_FILE;
    Batch batch;
    batch.input = batch.output = 0;
    SysFile block = SysOpenExclusive(block_path);
    if (block == SYS_NO_FILE)
        goto end;
    plain = SysCreateExclusive(plain_path);
    if (plain == SYS_NO_FILE)
        goto end;
    batch.input = (unsigned char*)SysAlloc(BATCH_BLOCKS * BLOCK_PAYLOAD_MAX);
    batch.output = (unsigned char*)SysAlloc(BATCH_BLOCKS * BLOCK_PLAIN_MAX);
    if (!batch.input || !batch.output)
        goto end;

    for (;;) {
        int status = BLOCK_READ;
        for (batch.count = 0; batch.count < BATCH_BLOCKS; batch.count++) {
            unsigned char header[BLOCK_HEADER_SIZE];
            status = ReadBlock(block, header, batch.input + batch.count * BLOCK_PAYLOAD_MAX,
                               &batch.length[batch.count]);
            if (status != BLOCK_READ)
                break;
            batch.method[batch.count] = header[1];
        }
        DecodeBatch(&batch);
        if (!WriteBatch(plain, &batch))
            break;
        if (status != BLOCK_READ) {
            result = status == BLOCK_END;
            break;
        }
        if (keep_going && !keep_going())
            break;
    }

end:
    SysFree(batch.output);
    SysFree(batch.input);
    if (plain != SYS_NO_FILE)
        SysClose(plain);
    if (block != SYS_NO_FILE)
        SysClose(block);
    return result;
}
