// Response files: "rozbal @FILE" takes further arguments from FILE, for
// command lines longer than a shell or Windows allows, or kept under
// version control.
#pragma once

#include <string>
#include <vector>

// The arguments with each "@FILE" after the program's name replaced by the
// lines of FILE, one argument a line, taken literally (no quoting, no
// further @FILE; blanks are kept, empty lines left out, a CR before the LF
// dropped). FILE is UTF-8, with or without a byte-order mark, or UTF-16
// (little or big endian) with one. A lone "@" stays an argument. Throws
// InputError when FILE cannot be read or is not valid text.
std::vector<std::string> ExpandResponseFiles(const std::vector<std::string>& arguments);
