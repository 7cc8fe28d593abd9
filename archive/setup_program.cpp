#include "archive/setup_program.h"

#include <string.h>

#include "archive/entry_name.h"
#include "archive/format.h"

int SetupFieldStaysInside(const char* field)
{
    char first[TEXT_FIELD_SIZE];
    size_t length = strcspn(field, " \t");
    if (length >= TEXT_FIELD_SIZE)
        return 0;
    memcpy(first, field, length);
    first[length] = 0;
    return IsSafeEntryName(first);
}

size_t FindSetupProgram(const char* field, SetupIsFile is_file, void* context, char* program)
{
    for (size_t end = 0; end < TEXT_FIELD_SIZE; end++) {
        if (field[end] == 0 || field[end] == ' ' || field[end] == '\t') {
            memcpy(program, field, end);
            program[end] = 0;
            if (IsSafeEntryName(program) && is_file(program, context))
                return end;
        }
        if (field[end] == 0)
            return 0;
    }
    return 0;
}
