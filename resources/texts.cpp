#include "resources/texts.h"

#include "resources/resource.h"

const char* CzechText(int id)
{
    switch (id) {
    case IDS_CAPTION: return TEXT_CAPTION;
    case IDS_NEXT_VOLUME: return TEXT_NEXT_VOLUME;
    case IDS_ERROR: return TEXT_ERROR;
    case IDS_INCOMPLETE: return TEXT_INCOMPLETE;
    case IDS_NO_SPACE: return TEXT_NO_SPACE;
    case IDS_BAD_PASSWORD: return TEXT_BAD_PASSWORD;
    }
    return nullptr;
}
