// The block decoder's fuzz target, run with the builder's batch decoder in
// place of the installer's: the same checks, judged by zlib.
#include "tools/rozbal/batch_decoder.h"

#include <stdint.h>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_block_decoder = &g_libdeflate_blocks;
    return 0;
}
