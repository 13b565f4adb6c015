#include "tracker/firewall_rules_win32.h"

#include <oleauto.h>

#include "base/wide_text.h"
#include "tracker/service_config_win32.h"

namespace vexa {

namespace {

// A BSTR owned once.
class ScopedBstr {
 public:
  ScopedBstr() = default;
  explicit ScopedBstr(const std::string& text) : text_(SysAllocString(Wide(text).c_str())) {}
  ~ScopedBstr() { SysFreeString(text_); }
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  BSTR Get() const { return text_; }
  BSTR* Receive() {
    SysFreeString(text_);
    text_ = nullptr;
    return &text_;
  }
  std::string Text() const { return text_ ? Narrow(text_) : std::string(); }

 private:
  BSTR text_ = nullptr;
};

Status Failed(HRESULT hr) { return Status::Error(ReasonText(hr)); }

constexpr NET_FW_PROFILE_TYPE2 kProfiles[] = {NET_FW_PROFILE2_DOMAIN, NET_FW_PROFILE2_PRIVATE,
                                              NET_FW_PROFILE2_PUBLIC};

// Every value the panel cares for, read from a rule.
HRESULT ReadRule(INetFwRule* from, FirewallRule* rule) {
  ScopedBstr name, description, grouping, application;
  VARIANT_BOOL enabled = VARIANT_FALSE;
  NET_FW_RULE_DIRECTION direction = NET_FW_RULE_DIR_IN;
  NET_FW_ACTION action = NET_FW_ACTION_BLOCK;
  HRESULT hr = from->get_Name(name.Receive());
  if (SUCCEEDED(hr)) hr = from->get_Description(description.Receive());
  if (SUCCEEDED(hr)) hr = from->get_Grouping(grouping.Receive());
  if (SUCCEEDED(hr)) hr = from->get_ApplicationName(application.Receive());
  if (SUCCEEDED(hr)) hr = from->get_Protocol(&rule->protocol);
  if (SUCCEEDED(hr)) hr = from->get_Direction(&direction);
  if (SUCCEEDED(hr)) hr = from->get_Action(&action);
  if (SUCCEEDED(hr)) hr = from->get_Profiles(&rule->profiles);
  if (SUCCEEDED(hr)) hr = from->get_Enabled(&enabled);
  if (FAILED(hr)) return hr;
  rule->name = name.Text();
  rule->description = description.Text();
  rule->grouping = grouping.Text();
  rule->applicationName = application.Text();
  rule->direction = direction;
  rule->action = action;
  rule->enabled = enabled != VARIANT_FALSE;
  return S_OK;
}

// The protocol first: a rule takes ports only once it has one.
HRESULT WriteRule(const FirewallRule& rule, INetFwRule* to) {
  const ScopedBstr name(rule.name), description(rule.description), grouping(rule.grouping),
      application(rule.applicationName);
  HRESULT hr = to->put_Name(name.Get());
  if (SUCCEEDED(hr)) hr = to->put_Protocol(rule.protocol);
  if (SUCCEEDED(hr)) hr = to->put_Description(description.Get());
  if (SUCCEEDED(hr)) hr = to->put_Grouping(grouping.Get());
  if (SUCCEEDED(hr)) hr = to->put_ApplicationName(application.Get());
  if (SUCCEEDED(hr)) hr = to->put_Direction(static_cast<NET_FW_RULE_DIRECTION>(rule.direction));
  if (SUCCEEDED(hr)) hr = to->put_Action(static_cast<NET_FW_ACTION>(rule.action));
  if (SUCCEEDED(hr)) hr = to->put_Profiles(rule.profiles);
  if (SUCCEEDED(hr)) hr = to->put_Enabled(rule.enabled ? VARIANT_TRUE : VARIANT_FALSE);
  return hr;
}

}  // namespace

FirewallWin32::FirewallWin32() {
  const HRESULT hr = CoCreateInstance(__uuidof(NetFwPolicy2), nullptr, CLSCTX_INPROC_SERVER,
                                      __uuidof(INetFwPolicy2),
                                      reinterpret_cast<void**>(policy_.Receive()));
  if (FAILED(hr)) created_ = Failed(hr);
}

Status FirewallWin32::Rules(ScopedComPtr<INetFwRules>* rules) {
  if (!created_.ok) return created_;
  const HRESULT hr = policy_->get_Rules(rules->Receive());
  return FAILED(hr) ? Failed(hr) : Status::Ok();
}

Status FirewallWin32::ReadProfiles(long* current, long* enabled) {
  if (!created_.ok) return created_;
  HRESULT hr = policy_->get_CurrentProfileTypes(current);
  *enabled = 0;
  for (NET_FW_PROFILE_TYPE2 profile : kProfiles) {
    if (FAILED(hr)) break;
    VARIANT_BOOL on = VARIANT_FALSE;
    hr = policy_->get_FirewallEnabled(profile, &on);
    if (SUCCEEDED(hr) && on != VARIANT_FALSE) *enabled |= profile;
  }
  return FAILED(hr) ? Failed(hr) : Status::Ok();
}

Status FirewallWin32::FindRule(const std::string& name, FirewallRule* rule, bool* found) {
  *found = false;
  ScopedComPtr<INetFwRules> rules;
  if (Status got = Rules(&rules); !got.ok) return got;
  ScopedComPtr<INetFwRule> item;
  const ScopedBstr wanted(name);
  HRESULT hr = rules->Item(wanted.Get(), item.Receive());
  if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) return Status::Ok();
  if (SUCCEEDED(hr)) hr = ReadRule(item.Get(), rule);
  if (FAILED(hr)) return Failed(hr);
  *found = true;
  return Status::Ok();
}

Status FirewallWin32::AddRule(const FirewallRule& rule) {
  ScopedComPtr<INetFwRules> rules;
  if (Status got = Rules(&rules); !got.ok) return got;
  ScopedComPtr<INetFwRule> made;
  HRESULT hr = CoCreateInstance(__uuidof(NetFwRule), nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(INetFwRule), reinterpret_cast<void**>(made.Receive()));
  if (SUCCEEDED(hr)) hr = WriteRule(rule, made.Get());
  if (SUCCEEDED(hr)) hr = rules->Add(made.Get());
  return FAILED(hr) ? Failed(hr) : Status::Ok();
}

Status FirewallWin32::UpdateRule(const FirewallRule& rule) {
  ScopedComPtr<INetFwRules> rules;
  if (Status got = Rules(&rules); !got.ok) return got;
  ScopedComPtr<INetFwRule> item;
  const ScopedBstr name(rule.name);
  HRESULT hr = rules->Item(name.Get(), item.Receive());
  if (SUCCEEDED(hr)) hr = WriteRule(rule, item.Get());
  return FAILED(hr) ? Failed(hr) : Status::Ok();
}

Status FirewallWin32::RemoveRule(const std::string& name) {
  ScopedComPtr<INetFwRules> rules;
  if (Status got = Rules(&rules); !got.ok) return got;
  const ScopedBstr wanted(name);
  const HRESULT hr = rules->Remove(wanted.Get());
  return FAILED(hr) ? Failed(hr) : Status::Ok();
}

}  // namespace vexa
