#include "archive/entry_name.h"

#include <gtest/gtest.h>

#include "tests/support/entry_names.h"

namespace {

TEST(EntryName, OneLinePerName)
{
    for (const EntryNameCase& c : kEntryNames) {
        EXPECT_EQ(EntryNameFault(c.name), c.fault) << '"' << c.name << '"';
        EXPECT_EQ(IsSafeEntryName(c.name) != 0, c.fault == NAME_SAFE) << '"' << c.name << '"';
    }
}

}  // namespace
