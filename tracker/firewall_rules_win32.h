#pragma once
// The firewall's rules through its own interface (INetFwPolicy2), for the
// decisions of service_safety.h.
#include <windows.h>

#include <netfw.h>

#include "base/scoped_handles_win32.h"
#include "tracker/service_safety.h"

namespace vexa {

class FirewallWin32 : public FirewallAccess {
 public:
  FirewallWin32();

  Status ReadProfiles(long* current, long* enabled) override;
  Status FindRule(const std::string& name, FirewallRule* rule, bool* found) override;
  Status AddRule(const FirewallRule& rule) override;
  Status UpdateRule(const FirewallRule& rule) override;
  Status RemoveRule(const std::string& name) override;

 private:
  Status Rules(ScopedComPtr<INetFwRules>* rules);

  ScopedCoInitialize com_;
  ScopedComPtr<INetFwPolicy2> policy_;
  Status created_;
};

}  // namespace vexa
