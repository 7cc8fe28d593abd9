// The builder's decoder of block files: verify and extract decode far more
// data than an installation does, on the build machine, so they decode with
// libdeflate, a batch of blocks at a time on two threads.
#pragma once

#include "archive/block_decoder.h"

#include <cstdint>

// Decompresses one zlib stream with libdeflate, taking and refusing exactly
// the payloads the installer's zlib does (BlockInflater says which).
uint32_t InflateWithLibdeflate(const unsigned char* payload, uint32_t length, unsigned char* output);

// BLOCK_BATCH_MAX blocks at a time, the batch's upper half on a second
// thread (all of it on the caller's when no thread can be started). Every
// builder run of the worker puts it in g_block_decoder.
extern const BlockBatchDecoder g_libdeflate_blocks;
