// rozbal list --json and verify --json: one JSON document on stdout for
// scripts, with keys that stay stable (tools/rozbal/README.md lists them).
#pragma once

#include "tools/rozbal/inspect.h"

// Prints the document of `list`: the header, the signature, the volumes and
// every piece read, and the verdict (whether the archive could be read to
// its last piece). Throws what RunList throws, after printing the document.
void ListJson(const ReadOptions& options);

// Prints the document of `verify`: that of `list` plus the totals of the
// worker's run, the verdict being the worker's. Throws what RunVerify
// throws, after printing the document.
void VerifyJson(const ReadOptions& options);
