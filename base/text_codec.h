#pragma once
// The program's own texts (captions, messages, paths it makes) are UTF-8
// byte strings and reach the system as UTF-16, so that they read the same
// under every display language. Three things stay in other encodings:
// vexa.cfg and the tracker's web request are in the system's ANSI code page
// (the tracker is an ANSI program), and VexaPanel.log and the home page
// index.html are GBK whatever the system's code page.
#include <string>

namespace vexa {

// ANSI bytes as UTF-8; bytes the code page does not define keep a
// replacement character.
std::string TextFromAnsi(const std::string& ansi);

// UTF-8 as ANSI bytes; false, and *ansi unchanged, when a character has no
// form in the ANSI code page (the tracker could not read it back).
bool TextToAnsi(const std::string& text, std::string* ansi);

// UTF-8 as GBK bytes (code page 936); a character GBK lacks becomes '?'.
std::string TextToGbk(const std::string& text);
// GBK bytes as UTF-8.
std::string TextFromGbk(const std::string& gbk);

#ifndef _WIN32
// The native build's stand-in for the system's ANSI code page, an iconv
// name; "GBK" unless a test chooses another (e.g. "CP1252").
void SetNativeAnsiCharset(const char* iconvName);
#endif

}  // namespace vexa
