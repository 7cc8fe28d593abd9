#include "archive/entry_name.h"

#include <gtest/gtest.h>

#include <iterator>

#include "tests/support/code_page.h"
#include "tests/support/entry_names.h"

namespace {

void ExpectFaults(const EntryNameCase* first, const EntryNameCase* end)
{
    for (const EntryNameCase* c = first; c != end; c++) {
        EXPECT_EQ(EntryNameFault(c->name), c->fault) << '"' << c->name << '"';
        EXPECT_EQ(IsSafeEntryName(c->name) != 0, c->fault == NAME_SAFE) << '"' << c->name << '"';
    }
}

TEST(EntryName, OneLinePerName)
{
    ExpectFaults(std::begin(kEntryNames), std::end(kEntryNames));
}

TEST(EntryName, DoubleByteCodePage)
{
    CodePage code_page(932);
    ExpectFaults(std::begin(kEntryNames932), std::end(kEntryNames932));
}

}  // namespace
