# Edits the linker's default script for the stub (cmake/stub.cmake runs it):
# constants go into .text, initialised variables after the imports, so the
# file holds two sections of code and data instead of four, each padded to
# the 512-byte file alignment. Unwind tables (libgcc's stack probe brings
# some) are dropped: nothing in the stub unwinds.
/^  \.rdata BLOCK/,/^  }/ {
  /^[[:space:]]*\*(\.rdata)$/d
  /^[[:space:]]*\*(SORT(\.rdata\$\*))$/d
}
/^  \.data BLOCK/,/^  }/ {
  /^[[:space:]]*\*(\.data)$/d
  /^[[:space:]]*\*(\.data2)$/d
  /^[[:space:]]*\*(SORT(\.data\$\*))$/d
}
s/^\([[:space:]]*\*(\.gnu\.linkonce\.t\.\*)\)$/\1\n    *(.rdata)\n    *(SORT(.rdata$*))/
s/^\([[:space:]]*KEEP (SORT(\*)(\.idata\$7))\)$/\1\n    *(.data)\n    *(.data2)\n    *(SORT(.data$*))/
/^[[:space:]]*KEEP *(\*(\.eh_frame\*))$/d
s/^\([[:space:]]*\*(\.drectve)\)$/\1\n     *(.eh_frame*)/
# The stub's own entry point runs no constructors: an entry in the table
# would be a global that silently stays uninitialised, so the link fails.
s/^\([[:space:]]*\)KEEP *(\*(\.ctors));$/\1__rozbal_ctors = .;\n&/
s/^\([[:space:]]*\)KEEP *(\*(SORT_BY_NAME(\.ctors\.\*)));$/&\n\1KEEP (*(.init_array .init_array.*))\n\1ASSERT (. == __rozbal_ctors, "a static constructor in the stub, which runs none");/
