// The one rule for the names of an archive's pieces, shared by the installer
// and the builder: a name that passes it, put after the extraction
// directory, names a file inside that directory which Windows creates under
// that very name, and never a device.
#pragma once

// What refuses a name; the first rule broken, in this order.
enum {
    NAME_SAFE = 0,
    NAME_COLON,                // ':' anywhere: a drive or a stream
    NAME_EMPTY_COMPONENT,      // empty, rooted, UNC, doubled or trailing separator
    NAME_TWO_DOTS,             // a component begins with two dots: "..", "..a"
    NAME_DOT_OR_BLANK_END,     // a component ends in a dot or a blank
    NAME_BAD_CHARACTER,        // a control character or one of <>"|?*
    NAME_DEVICE,               // a component names a device
    NAME_BLOCK_DECODES_BADLY,  // a block file whose decoded name breaks a rule
};

// Which rule name (a relative path with '\' or '/' separators) breaks, or
// NAME_SAFE when it may be written below the extraction directory. Device
// names are CON, PRN, AUX, NUL, COM and LPT with a digit or one of the
// bytes 0xB9, 0xB2, 0xB3 (superscript 1 to 3 in code page 1252), CONIN$,
// CONOUT$ and CLOCK$, in any case, with any extension, also with blanks
// before the extension. A block file's name (extension ".xxx" in any case)
// is safe only when the name it decodes into is safe too. In a double-byte
// ANSI code page the byte after a lead byte belongs to its character, as
// SplitPath reads it: it is never a separator or one of <>"|?*.
int EntryNameFault(const char* name);

// Non-zero when name breaks none of the rules of EntryNameFault.
int IsSafeEntryName(const char* name);
