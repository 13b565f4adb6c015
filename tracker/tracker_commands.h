#pragma once
// The tracker's command texts, the service buttons that run them and the
// addresses of its web interface.
#include <string>

#include "ui/message_box_flags.h"  // the icons of the service messages

namespace vexa {

extern const char kTrackerExe[];  // "vexa.exe"
extern const char kInstallCommand[];
extern const char kStartCommand[];
extern const char kStopCommand[];
extern const char kRemoveCommand[];

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

// Whether the button's work may install or remove the tracker's service
// (the install and remove buttons, the restart, the one-click installation).
bool ButtonMayChangeServices(int controlId);

// The program's path quoted as one argument, so that blanks and & ^ % ( )
// in it stay part of the path, then a blank and the arguments if any.
std::string QuotedCommandLine(const std::string& path, const std::string& arguments);

// The command switch alone, e.g. "-i" of "vexa.exe -i".
std::string CommandSwitch(const std::string& command);

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

// The question after a switch has run for a minute, and the answer to "No".
std::string KeepWaitingText(const std::string& command, unsigned seconds);
std::string WaitGivenUpText(const std::string& command);

}  // namespace vexa
