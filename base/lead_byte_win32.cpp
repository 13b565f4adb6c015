#include <windows.h>

#include "base/mbcs.h"

namespace vexa {

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

}  // namespace vexa
