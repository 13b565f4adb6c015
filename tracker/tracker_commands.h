#pragma once
// The tracker's command texts, the service buttons that run them and the
// addresses of its web interface.
#include <string>

namespace vexa {

extern const char kTrackerExe[];  // "vexa.exe"
extern const char kInstallCommand[];
extern const char kStartCommand[];
extern const char kStopCommand[];
extern const char kRemoveCommand[];

// Message box icons, with the values the system gives them.
enum : unsigned {
  kIconHand = 0x10,
  kIconExclamation = 0x30,
  kIconInformation = 0x40,
};

extern const char kServiceCaption[];  // "Vexa后台服务"

struct ServiceButton {
  int controlId;
  const char* command;
  const char* message;
  unsigned icon;
};

// The four service buttons: install, start, stop, remove; nullptr for an id
// that is none of them.
const ServiceButton* FindServiceButton(int controlId);
extern const ServiceButton kServiceButtons[4];

// The command switch alone, e.g. "-i" of "vexa.exe -i".
std::string CommandSwitch(const std::string& command);

// "http://localhost:" + port, no trailing slash; the port is used as stored.
std::string TrackerBaseUrl(const std::string& port);

// What is left after the last separator of a directory value; slashes count
// as backslashes and trail bytes of double-byte characters never do.
std::string LastPathComponent(const std::string& directory);

// Base address, "/" and the last component of vexa_file_dir, unescaped.
std::string WebFileDirectoryUrl(const std::string& baseUrl, const std::string& fileDirectory);

}  // namespace vexa
