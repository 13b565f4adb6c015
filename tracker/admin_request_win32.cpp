#include "tracker/admin_request_win32.h"

#include <windows.h>
#include <winhttp.h>

#include "base/system_error_win32.h"
#include "base/system_library_win32.h"
#include "base/wide_text.h"

namespace vexa {

namespace {

// winhttp.dll is not one of the system's known DLLs: loaded from System32.
struct WinHttp {
  template <typename Function>
  static Function Find(const char* name) {
    return SystemFunction<Function>(L"winhttp.dll", name);
  }
  decltype(&::WinHttpOpen) open = Find<decltype(&::WinHttpOpen)>("WinHttpOpen");
  decltype(&::WinHttpSetTimeouts) setTimeouts = Find<decltype(&::WinHttpSetTimeouts)>("WinHttpSetTimeouts");
  decltype(&::WinHttpSetOption) setOption = Find<decltype(&::WinHttpSetOption)>("WinHttpSetOption");
  decltype(&::WinHttpConnect) connect = Find<decltype(&::WinHttpConnect)>("WinHttpConnect");
  decltype(&::WinHttpOpenRequest) openRequest = Find<decltype(&::WinHttpOpenRequest)>("WinHttpOpenRequest");
  decltype(&::WinHttpSendRequest) sendRequest = Find<decltype(&::WinHttpSendRequest)>("WinHttpSendRequest");
  decltype(&::WinHttpReceiveResponse) receiveResponse =
      Find<decltype(&::WinHttpReceiveResponse)>("WinHttpReceiveResponse");
  decltype(&::WinHttpQueryHeaders) queryHeaders = Find<decltype(&::WinHttpQueryHeaders)>("WinHttpQueryHeaders");
  decltype(&::WinHttpCloseHandle) closeHandle = Find<decltype(&::WinHttpCloseHandle)>("WinHttpCloseHandle");

  bool Loaded() const {
    return open && setTimeouts && setOption && connect && openRequest && sendRequest &&
           receiveResponse && queryHeaders && closeHandle;
  }
};

class Internet {
 public:
  Internet(const WinHttp& api, HINTERNET handle) : api_(api), handle_(handle) {}
  ~Internet() {
    if (handle_) api_.closeHandle(handle_);
  }
  Internet(const Internet&) = delete;
  Internet& operator=(const Internet&) = delete;
  HINTERNET Get() const { return handle_; }

 private:
  const WinHttp& api_;
  HINTERNET handle_;
};

// WinHTTP's codes have their texts in winhttp.dll, not the system's table.
std::string WinHttpErrorText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
      GetModuleHandleW(L"winhttp.dll"), code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring found(text ? text : L"", length);
  LocalFree(text);
  while (!found.empty() && (found.back() == L'\r' || found.back() == L'\n' || found.back() == L' ')) {
    found.pop_back();
  }
  return found.empty() ? SystemMessage(code) : Narrow(found);
}

enum class Attempt { kAnswered, kRefused, kFailed };

// One exchange with one address.
Attempt Exchange(const WinHttp& api, HINTERNET session, const wchar_t* host, unsigned short port,
                 const std::wstring& target, TrackerAnswer* answer) {
  const Internet connection(api, api.connect(session, host, port, 0));
  // The target is already percent-encoded: sent byte for byte.
  const Internet request(
      api, connection.Get() ? api.openRequest(connection.Get(), L"GET", target.c_str(), nullptr,
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                              WINHTTP_FLAG_ESCAPE_DISABLE |
                                                  WINHTTP_FLAG_ESCAPE_DISABLE_QUERY)
                            : nullptr);
  if (request.Get()) {
    DWORD noRedirect = WINHTTP_DISABLE_REDIRECTS;
    api.setOption(request.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &noRedirect, sizeof noRedirect);
  }
  if (request.Get() &&
      api.sendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0,
                      0, 0) &&
      api.receiveResponse(request.Get(), nullptr)) {
    DWORD status = 0, size = sizeof status;
    if (api.queryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                         WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
      answer->kind = TrackerAnswer::Kind::kAnswered;
      answer->status = status;
      return Attempt::kAnswered;
    }
  }
  const DWORD error = GetLastError();
  if (error == ERROR_WINHTTP_CANNOT_CONNECT) return Attempt::kRefused;
  answer->kind = TrackerAnswer::Kind::kFailed;
  answer->reason = WinHttpErrorText(error);
  return Attempt::kFailed;
}

}  // namespace

TrackerAnswer SendTrackerRequest(unsigned short port, const std::string& target,
                                 unsigned waitMs) {
  TrackerAnswer answer;
  const WinHttp api;
  if (!api.Loaded()) {
    answer.reason = "无法载入 winhttp.dll：" + SystemMessage(GetLastError());
    return answer;
  }
  const Internet session(api, api.open(L"VexaPanel", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session.Get()) {
    answer.reason = WinHttpErrorText(GetLastError());
    return answer;
  }
  // A refusal comes at once; a tracker that accepted has as long to answer
  // as the panel waits in all.
  api.setTimeouts(session.Get(), 0, 2000, 5000, static_cast<int>(waitMs));
  std::wstring wideTarget = Wide(target);
  const ULONGLONG deadline = GetTickCount64() + waitMs;
  Attempt attempt = Attempt::kRefused;
  for (;;) {
    for (const wchar_t* host : {L"127.0.0.1", L"::1"}) {
      attempt = Exchange(api, session.Get(), host, port, wideTarget, &answer);
      if (attempt != Attempt::kRefused) break;
    }
    if (attempt != Attempt::kRefused || GetTickCount64() >= deadline) break;
    Sleep(250);
  }
  WipeText(wideTarget);
  if (attempt == Attempt::kRefused) answer.kind = TrackerAnswer::Kind::kNoListener;
  return answer;
}

}  // namespace vexa
