#include "dial/DialStrings.h"

DialStringArray &DialStrings()
{
    static DialStringArray strings;
    return strings;
}
