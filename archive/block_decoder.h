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
// the blocks written before. keep_going is asked after each block written
// until the end is seen, so that a caller can stop a long decode within one
// block (up to 32000 bytes in, 320000 out).
// Both files are opened without sharing, and closed on every path; memory is
// two fixed buffers. The builder reads up to 32 blocks ahead, decodes them
// on two threads and is asked after each such batch.
int DecodeBlockFile(const char* block_path, const char* plain_path, int (*keep_going)(void) = 0);

// Gives the plain data of one block whose payload (length bytes, 1 to
// 32000) is at payload. For METHOD_ZLIB the payload is decompressed into
// output (BLOCK_PLAIN_MAX bytes) and *plain points there; for any other
// method *plain points to the payload itself. Returns the number of plain
// bytes, or 0 when a zlib payload does not decompress to 1 to 320000 bytes
// (corrupt stream, wrong Adler-32, preset dictionary, too long, no data).
// The builder's verify uses it, so both read blocks by the same rules.
uint32_t DecodeBlockPayload(int method, const unsigned char* payload, uint32_t length, unsigned char* output,
                            const unsigned char** plain);
