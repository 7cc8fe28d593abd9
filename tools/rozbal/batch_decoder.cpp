#include "tools/rozbal/batch_decoder.h"

#include "archive/format.h"

#include <libdeflate.h>

#include <system_error>
#include <thread>

uint32_t InflateWithLibdeflate(const unsigned char* payload, uint32_t length, unsigned char* output)
{
    // One whole stream with bytes after it ignored, as zlib's uncompress
    // takes it: hence the _ex form, which reports what it consumed instead
    // of refusing them.
    size_t consumed = 0, plain_length = 0;
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    if (!decompressor)
        return 0;
    libdeflate_result result = libdeflate_zlib_decompress_ex(decompressor, payload, length, output,
                                                             BLOCK_PLAIN_MAX, &consumed, &plain_length);
    libdeflate_free_decompressor(decompressor);
    return result == LIBDEFLATE_SUCCESS ? (uint32_t)plain_length : 0;
}

namespace {

// The batch's blocks are independent streams; a thread per batch costs
// little next to decoding 32 blocks.
void DecodeOnTwoThreads(BlockBatch* batch)
{
    unsigned half = batch->count / 2;
    std::thread helper;
    try {
        if (half > 0)
            helper = std::thread(DecodeBatchBlocks, batch, half, batch->count, InflateWithLibdeflate);
    } catch (const std::system_error&) {
        // No thread to be had: this one decodes the whole batch.
    }
    DecodeBatchBlocks(batch, 0, helper.joinable() ? half : batch->count, InflateWithLibdeflate);
    if (helper.joinable())
        helper.join();
}

}  // namespace

const BlockBatchDecoder g_libdeflate_blocks = {BLOCK_BATCH_MAX, DecodeOnTwoThreads};
