#pragma once
// The addresses of the tracker's web interface and the percent-encoding
// that keeps a value inside the part of an address it belongs to.
#include <string>

namespace vexa {

// "http://localhost:" + port, no trailing slash; the port is used as stored.
std::string TrackerBaseUrl(const std::string& port);

// What is left after the last separator of a directory value; slashes count
// as backslashes and trail bytes of double-byte characters never do.
std::string LastPathComponent(const std::string& directory);

// A-Z a-z 0-9 - . _ ~: the bytes an address carries as they are.
bool IsUnreservedByte(unsigned char c);

// Byte by byte: the bytes `kept` says yes to stay, every other byte becomes
// %XX with upper-case hex.
std::string PercentEncode(const std::string& bytes, bool (*kept)(unsigned char) = IsUnreservedByte);

// Every byte but A-Z a-z 0-9 - . _ ~ and "/" as %XX: nothing in a folder's
// name can end the path, start a query or reach the browser's command line.
std::string EscapeUrlPathSegment(const std::string& segment);

// The error box's text for a configured port that is no number from 1 to 65535.
std::string InvalidPortText(const std::string& port);

// Base address, "/" and the last component of vexa_file_dir, escaped as above.
std::string WebFileDirectoryUrl(const std::string& baseUrl, const std::string& fileDirectory);

}  // namespace vexa
