// The percent-encoding of the administrator's account and password, and the
// request target that carries them. Properties: decoding gives back the input
// bytes; only A-Z a-z 0-9 - . _ ~ stand unencoded, every other byte is %XX
// with upper-case hex; the address splits into exactly the expected query
// fields whatever the account and password hold.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/gbk_reference.h"
#include "tracker/admin_request.h"
#include "tracker/web_address.h"

namespace {

using vexa_fuzz::Check;

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         c == '-' || c == '.' || c == '_' || c == '~';
}

int UpperHexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Strict decoding: fails on anything that PercentEncode may not produce.
bool Decode(const std::string& encoded, std::string* out) {
  out->clear();
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(encoded[i]);
    if (Unreserved(c)) {
      *out += encoded[i];
      continue;
    }
    if (c != '%' || i + 2 >= encoded.size()) return false;
    int hi = UpperHexValue(encoded[i + 1]);
    int lo = UpperHexValue(encoded[i + 2]);
    if (hi < 0 || lo < 0) return false;
    unsigned char byte = static_cast<unsigned char>(hi * 16 + lo);
    if (Unreserved(byte)) return false;  // needlessly encoded
    *out += static_cast<char>(byte);
    i += 2;
  }
  return true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t pos = 0;
  for (;;) {
    std::size_t next = text.find(separator, pos);
    parts.push_back(text.substr(pos, next == std::string::npos ? std::string::npos : next - pos));
    if (next == std::string::npos) return parts;
    pos = next + 1;
  }
}

void CheckRoundTrip(const std::string& bytes) {
  std::string encoded = vexa::PercentEncode(bytes);
  std::string decoded;
  Check(Decode(encoded, &decoded), "encoding is not strict %XX over unreserved bytes", bytes,
        encoded);
  Check(decoded == bytes, "decoding does not give back the input", bytes, decoded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider provider(data, size);
  std::string account = provider.ConsumeRandomLengthString(256);
  std::string password = provider.ConsumeRemainingBytesAsString();
  CheckRoundTrip(account);
  CheckRoundTrip(password);

  const std::string prefix = "/users.html?";
  std::string url = vexa::AdminRequestTarget(account, password);
  Check(url.compare(0, prefix.size(), prefix) == 0, "target does not start with the page", url);
  std::vector<std::string> fields = Split(url.substr(prefix.size()), '&');
  const char* const names[] = {"us_login", "us_password", "us_password_verify", "us_email"};
  const std::string values[] = {account, password, password, "admin@localhost"};
  Check(fields.size() == 4 + 7, "query does not have eleven fields", url);
  for (std::size_t i = 0; i < 4; ++i) {
    std::vector<std::string> pair = Split(fields[i], '=');
    std::string decoded;
    Check(pair.size() == 2 && pair[0] == names[i] && Decode(pair[1], &decoded) &&
              decoded == values[i],
          "query field does not carry its value", fields[i], values[i]);
  }
  for (std::size_t i = 4; i < fields.size(); ++i) {
    Check(fields[i].size() > 3 && fields[i].compare(fields[i].size() - 3, 3, "=on") == 0,
          "right without =on", fields[i]);
  }
  return 0;
}
