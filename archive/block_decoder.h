// Decoder of block files: a sequence of 6-byte headers, each followed by a
// zlib stream or stored bytes.
#pragma once

#include <stdint.h>

// Decodes the block file block_path into plain_path, which is created or
// emptied. Returns 1 when the block file has ended (no bytes where a header
// or payload starts, or a payload length of 0) with every block before it
// decoded and written; 0 on any failure: the block file cannot be opened,
// the plain file cannot be created, a buffer cannot be had, a read call
// fails (even without delivering a byte), a header is cut short, a marker is
// not 0x66, a length is negative or over 32000, a payload is cut short, a
// zlib stream does not decompress to 1 to 320000 bytes, or a write is not
// whole, or keep_going (when not null) returned 0. The plain file then keeps
// the blocks written before. Blocks are read, decoded and written in
// batches of g_block_decoder->blocks; keep_going is asked after each batch
// written until the end is seen, so that a caller can stop a long decode
// within one batch.
// Both files are opened without sharing, and closed on every path; memory is
// one buffer, for a batch's payloads and their plain data.
int DecodeBlockFile(const char* block_path, const char* plain_path, int (*keep_going)(void) = 0);

enum { BLOCK_BATCH_MAX = 32 };

// Blocks read ahead of their decoding: block i's payload is at input + i *
// BLOCK_PAYLOAD_MAX, its decompressed data goes to output + i *
// BLOCK_PLAIN_MAX.
struct BlockBatch {
    unsigned count;
    unsigned char* input;
    unsigned char* output;
    int method[BLOCK_BATCH_MAX];
    uint32_t length[BLOCK_BATCH_MAX];  // payload bytes, then plain bytes (0: does not decode)
    const unsigned char* plain[BLOCK_BATCH_MAX];
};

// Decompresses one zlib stream of length bytes (1 to 32000) into output
// (BLOCK_PLAIN_MAX bytes). Returns the plain length, or 0 unless the payload
// starts with one whole zlib stream of 1 to 320000 bytes with its Adler-32
// right and no preset dictionary; bytes after the stream are ignored.
typedef uint32_t (*BlockInflater)(const unsigned char* payload, uint32_t length, unsigned char* output);

// Decodes blocks first to end - 1 of batch: a METHOD_ZLIB block with
// inflate, its plain pointing into output; a block of any other method is
// its payload. Each length becomes the plain length, 0 when the block does
// not decode.
void DecodeBatchBlocks(BlockBatch* batch, unsigned first, unsigned end, BlockInflater inflate);

// How DecodeBlockFile decodes what it has read: up to blocks (1 to
// BLOCK_BATCH_MAX) at a time, each batch by decode, which decodes every
// block of it as DecodeBatchBlocks does.
struct BlockBatchDecoder {
    unsigned blocks;
    void (*decode)(BlockBatch* batch);
};

// The installer's decoder: one block at a time, with zlib.
extern const BlockBatchDecoder g_zlib_blocks;

// The decoder DecodeBlockFile uses: g_zlib_blocks, unless the program puts
// its own in place once at start-up, before any decode.
extern const BlockBatchDecoder* g_block_decoder;
