#include "tracker/service_config_win32.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/scoped_handles_win32.h"
#include "base/system_error_win32.h"
#include "base/wide_text.h"

namespace vexa {

std::string ReasonText(DWORD code) { return SystemMessage(code) + " (" + std::to_string(code) + ")"; }

std::string ReasonText(HRESULT hr) {
  // A Win32 error wrapped in an HRESULT reads best as its own code.
  if (HRESULT_FACILITY(hr) == FACILITY_WIN32) return ReasonText(static_cast<DWORD>(HRESULT_CODE(hr)));
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
  return SystemMessage(static_cast<DWORD>(hr)) + " (" + code + ")";
}

ServiceConfigWin32::ServiceConfigWin32(const std::string& serviceName, bool change) {
  const DWORD access = SERVICE_QUERY_CONFIG | (change ? SERVICE_CHANGE_CONFIG | SERVICE_START : 0);
  manager_.Reset(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (manager_) service_.Reset(OpenServiceW(manager_.Get(), Wide(serviceName).c_str(), access));
  if (!service_) opened_ = Status::Error("无法打开服务 " + serviceName + "：" + ReasonText(GetLastError()));
}

Status ServiceConfigWin32::SetBinaryPath(const std::string& binaryPath) {
  if (!opened_.ok) return opened_;
  if (!ChangeServiceConfigW(service_.Get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                            Wide(binaryPath).c_str(), nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr)) {
    return Status::Error(ReasonText(GetLastError()));
  }
  return Status::Ok();
}

Status ServiceConfigWin32::SetRecovery(const RecoverySettings& settings) {
  if (!opened_.ok) return opened_;
  std::vector<SC_ACTION> actions;
  for (const FailureAction& action : settings.actions) {
    actions.push_back({action.restart ? SC_ACTION_RESTART : SC_ACTION_NONE, action.delayMs});
  }
  SERVICE_FAILURE_ACTIONSW failure = {};
  failure.dwResetPeriod = settings.resetSeconds;
  failure.cActions = static_cast<DWORD>(actions.size());
  failure.lpsaActions = actions.data();
  if (!ChangeServiceConfig2W(service_.Get(), SERVICE_CONFIG_FAILURE_ACTIONS, &failure)) {
    return Status::Error(ReasonText(GetLastError()));
  }
  SERVICE_FAILURE_ACTIONS_FLAG flag = {settings.nonZeroExitFails ? TRUE : FALSE};
  if (!ChangeServiceConfig2W(service_.Get(), SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &flag)) {
    return Status::Error(ReasonText(GetLastError()));
  }
  return Status::Ok();
}

namespace {

// One QueryServiceConfig2W answer in a buffer of the size it asks for.
bool QueryConfig2(SC_HANDLE service, DWORD level, std::vector<unsigned char>* buffer) {
  DWORD needed = 0;
  if (!QueryServiceConfig2W(service, level, nullptr, 0, &needed) &&
      GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    return false;
  }
  buffer->assign(std::max<DWORD>(needed, sizeof(SERVICE_FAILURE_ACTIONSW)), 0);
  return QueryServiceConfig2W(service, level, buffer->data(), static_cast<DWORD>(buffer->size()),
                              &needed) != FALSE;
}

}  // namespace

Status ServiceConfigWin32::ReadRecovery(RecoverySettings* settings) {
  if (!opened_.ok) return opened_;
  std::vector<unsigned char> buffer;
  if (!QueryConfig2(service_.Get(), SERVICE_CONFIG_FAILURE_ACTIONS, &buffer)) {
    return Status::Error(ReasonText(GetLastError()));
  }
  RecoverySettings read;
  const auto* failure = reinterpret_cast<const SERVICE_FAILURE_ACTIONSW*>(buffer.data());
  read.resetSeconds = failure->dwResetPeriod;
  for (DWORD i = 0; failure->lpsaActions && i < failure->cActions; ++i) {
    const SC_ACTION& action = failure->lpsaActions[i];
    read.actions.push_back({action.Type == SC_ACTION_RESTART, action.Delay});
  }
  if (!QueryConfig2(service_.Get(), SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &buffer)) {
    return Status::Error(ReasonText(GetLastError()));
  }
  read.nonZeroExitFails =
      reinterpret_cast<const SERVICE_FAILURE_ACTIONS_FLAG*>(buffer.data())->fFailureActionsOnNonCrashFailures != FALSE;
  *settings = read;
  return Status::Ok();
}

}  // namespace vexa
