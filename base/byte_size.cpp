#include "base/byte_size.h"

#include <cstdio>

namespace vexa {

namespace {

constexpr double kKilobyte = 1024.0;
constexpr double kMegabyte = kKilobyte * 1024;
constexpr double kGigabyte = kMegabyte * 1024;

std::string Decimal(std::uint64_t bytes, double unitBytes, int decimals, const char* unit) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f %s", decimals, static_cast<double>(bytes) / unitBytes,
                unit);
  return text;
}

}  // namespace

std::string ByteSizeText(std::uint64_t bytes) {
  if (bytes < 1024) {
    char text[48];
    std::snprintf(text, sizeof text, "%llu 字节", static_cast<unsigned long long>(bytes));
    return text;
  }
  if (bytes < 1024ULL * 1024) return Decimal(bytes, kKilobyte, 1, "KB");
  if (bytes < 1024ULL * 1024 * 1024) return Decimal(bytes, kMegabyte, 1, "MB");
  return Decimal(bytes, kGigabyte, 2, "GB");
}

std::string ByteSizeIn(std::uint64_t bytes, ByteUnit unit) {
  return unit == ByteUnit::kMegabyte ? Decimal(bytes, kMegabyte, 1, "MB")
                                     : Decimal(bytes, kGigabyte, 1, "GB");
}

}  // namespace vexa
