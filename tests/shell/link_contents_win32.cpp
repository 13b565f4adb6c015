#include "tests/shell/link_contents_win32.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "base/wide_text.h"

namespace vexa::test {

LinkContents ReadLink(const std::string& file) {
  LinkContents contents;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
      if (SUCCEEDED(persist->Load(Wide(file).c_str(), STGM_READ))) {
        wchar_t buffer[MAX_PATH] = {};
        link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH);
        contents.path = Narrow(buffer);
        buffer[0] = 0;
        link->GetWorkingDirectory(buffer, MAX_PATH);
        contents.workingDirectory = Narrow(buffer);
        buffer[0] = 0;
        link->GetDescription(buffer, MAX_PATH);
        contents.description = Narrow(buffer);
      }
      persist->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return contents;
}

}  // namespace vexa::test
