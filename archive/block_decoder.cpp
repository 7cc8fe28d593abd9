#include "archive/block_decoder.h"

#include "archive/format.h"
#include "platform/platform.h"

#include <zlib.h>

// zlib's uncompress checks what the installer needs checked: the header,
// the Adler-32 and the room in output.
static uint32_t InflateWithZlib(const unsigned char* payload, uint32_t length, unsigned char* output)
{
    uLongf plain_length = BLOCK_PLAIN_MAX;
    return uncompress(output, &plain_length, payload, length) == Z_OK ? (uint32_t)plain_length : 0;
}

// The one rule for a batch's blocks. Inlined into the installer's decoder,
// with the call of InflateWithZlib made direct, so that the stub carries
// neither a second copy nor the indirect call.
static inline __attribute__((always_inline)) void DecodeBlocks(BlockBatch* batch, unsigned first,
                                                               unsigned end, BlockInflater inflate)
{
    for (unsigned i = first; i < end; i++) {
        unsigned char* payload = batch->input + i * BLOCK_PAYLOAD_MAX;
        unsigned char* output = batch->output + i * BLOCK_PLAIN_MAX;
        if (batch->method[i] != METHOD_ZLIB) {
            batch->plain[i] = payload;
            continue;
        }
        batch->plain[i] = output;
        batch->length[i] = inflate(payload, batch->length[i], output);
    }
}

void DecodeBatchBlocks(BlockBatch* batch, unsigned first, unsigned end, BlockInflater inflate)
{
    DecodeBlocks(batch, first, end, inflate);
}

// Its batches hold no block or one (g_zlib_blocks.blocks is 1): said so,
// the loop and its index arithmetic leave the stub.
static void DecodeOneByOne(BlockBatch* batch)
{
    DecodeBlocks(batch, 0, batch->count != 0, InflateWithZlib);
}

const BlockBatchDecoder g_zlib_blocks = {1, DecodeOneByOne};
const BlockBatchDecoder* g_block_decoder = &g_zlib_blocks;

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

// Writes the batch's decoded blocks in order up to the first that did not
// decode. Returns non-zero when all of them decoded and were written whole.
static int WriteBatch(SysFile plain, const BlockBatch* batch)
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
    const BlockBatchDecoder* decoder = g_block_decoder;
    BlockBatch batch;
    batch.input = 0;
    SysFile block = SysOpenExclusive(block_path);
    if (block == SYS_NO_FILE)
        goto end;
    plain = SysCreateExclusive(plain_path);
    if (plain == SYS_NO_FILE)
        goto end;
    batch.input = (unsigned char*)SysAlloc(decoder->blocks * (BLOCK_PAYLOAD_MAX + BLOCK_PLAIN_MAX));
    if (!batch.input)
        goto end;
    batch.output = batch.input + decoder->blocks * BLOCK_PAYLOAD_MAX;

    for (;;) {
        int status = BLOCK_READ;
        for (batch.count = 0; batch.count < decoder->blocks; batch.count++) {
            unsigned char header[BLOCK_HEADER_SIZE];
            status = ReadBlock(block, header, batch.input + batch.count * BLOCK_PAYLOAD_MAX,
                               &batch.length[batch.count]);
            if (status != BLOCK_READ)
                break;
            batch.method[batch.count] = header[1];
        }
        decoder->decode(&batch);
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
    SysFree(batch.input);
    if (plain != SYS_NO_FILE)
        SysClose(plain);
    if (block != SYS_NO_FILE)
        SysClose(block);
    return result;
}
