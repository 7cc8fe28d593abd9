#include "tools/rozbal/errors.h"

#include <cstring>

std::string SystemMessage(const std::string& what, int error)
{
    return what + ": " + std::strerror(error);
}
