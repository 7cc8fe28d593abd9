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
// whole. The plain file then keeps the blocks written before.
// Both files are opened without sharing; memory is two fixed buffers. The
// builder reads up to 32 blocks ahead and decodes them on two threads.
int DecodeBlockFile(const char* block_path, const char* plain_path);

// Gives the plain data of one block whose payload (length bytes, 1 to
// 32000) is at payload. For METHOD_ZLIB the payload is decompressed into
// output (BLOCK_PLAIN_MAX bytes) and *plain points there; for any other
// method *plain points to the payload itself. Returns the number of plain
// bytes, or 0 when a zlib payload does not decompress to 1 to 320000 bytes
// (corrupt stream, wrong Adler-32, preset dictionary, too long, no data).
// The builder's verify uses it, so both read blocks by the same rules.
uint32_t DecodeBlockPayload(int method, const unsigned char* payload, uint32_t length, unsigned char* output,
                            const unsigned char** plain);
