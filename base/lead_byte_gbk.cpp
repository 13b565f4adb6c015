#include "base/mbcs.h"

namespace vexa {

// GBK (code page 936): lead bytes 0x81 to 0xFE.
bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

}  // namespace vexa
