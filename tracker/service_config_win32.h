#pragma once
// One service's path and recovery through the service manager, and whether
// the panel may change them at all.
#include <windows.h>

#include <string>

#include "tracker/service_safety.h"
#include "tracker/system_tables_win32.h"

namespace vexa {

class ServiceConfigWin32 : public ServiceConfigAccess {
 public:
  // change: opened to change the service too; otherwise only to read it.
  ServiceConfigWin32(const std::string& serviceName, bool change);

  Status SetBinaryPath(const std::string& binaryPath) override;
  Status SetRecovery(const RecoverySettings& settings) override;
  Status ReadRecovery(RecoverySettings* settings) override;

 private:
  ScopedServiceHandle manager_;
  ScopedServiceHandle service_;
  Status opened_;
};

// The system's words for a Win32 error or an HRESULT, with its number.
std::string ReasonText(DWORD code);
std::string ReasonText(HRESULT hr);

}  // namespace vexa
