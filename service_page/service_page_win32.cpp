#include "service_page/service_page_win32.h"

#include <utility>

#include "base/descramble.h"
#include "base/text_codec.h"
#include "service_page/service_host_win32.h"
#include "service_page/service_page_jobs.h"
#include "ui/busy_panel_win32.h"

namespace vexa {

namespace {

// The texts of the page's foot, kept scrambled in the executable.
constexpr unsigned char kLabelKey = 0x5A;
constexpr auto kCreditsStored = ScrambleLiteral("VexaPanel 3.0  Vexa 开发组 制作", kLabelKey);
constexpr auto kSiteStored = ScrambleLiteral("http://localhost/vexapanel/", kLabelKey);
constexpr auto kSiteCaption1Stored = ScrambleLiteral("官方网站", kLabelKey);
constexpr auto kSiteCaption2Stored = ScrambleLiteral("技术支持", kLabelKey);

constexpr UINT_PTR kStatusTimerId = 1090;
constexpr UINT kStatusPeriodMs = 1000;
// The first reading lists every service; it waits until the window shows,
// so that start-up does not wait for it.
constexpr UINT_PTR kFirstStatusTimerId = 1091;
constexpr UINT kFirstStatusDelayMs = 10;

}  // namespace

CSetting::CSetting(ConfigStore& store, std::string programDirectory)
    : CDialog(kTemplateId), store_(store), directory_(std::move(programDirectory)) {
  BindText(IDC_SVC_CREDITS, &credits);
  BindControl(IDC_SVC_LINK1, &siteLink1);
  BindControl(IDC_SVC_LINK2, &siteLink2);
}

bool CSetting::OnInit() {
  credits = DescrambleText(kCreditsStored, kLabelKey);
  CDialog::OnInit();  // shows the credits and attaches the two links

  const std::string site = DescrambleText(kSiteStored, kLabelKey);
  siteLink1.SetLinkTarget(site);
  siteLink2.SetLinkTarget(site);
  SetItemText(IDC_SVC_LINK1, DescrambleText(kSiteCaption1Stored, kLabelKey));
  SetItemText(IDC_SVC_LINK2, DescrambleText(kSiteCaption2Stored, kLabelKey));
  // The template's statics are empty: fit the links to their captions.
  siteLink1.FitToText();
  siteLink2.FitToText();

  status_.Attach(Item(IDC_SVC_STATUS));
  SetTimer(Handle(), kFirstStatusTimerId, kFirstStatusDelayMs, nullptr);
  SetTimer(Handle(), kStatusTimerId, kStatusPeriodMs, nullptr);
  return true;
}

void CSetting::RefreshStatus(StatusRefresh how) {
  // The store holds vexa.cfg's ANSI bytes; the line shows UTF-8.
  status_.Refresh(directory_, TextFromAnsi(store_.Get("port", kDefaultPort)), how);
}

bool CSetting::OnTimer(UINT_PTR timerId) {
  if (timerId == kFirstStatusTimerId) {
    KillTimer(Handle(), kFirstStatusTimerId);
    RefreshStatus(StatusRefresh::kAfresh);
    return true;
  }
  if (timerId != kStatusTimerId) return CDialog::OnTimer(timerId);
  // Nobody sees the line behind another tab or in a minimised window, so
  // the panel then costs nothing.
  if (!IsWindowVisible(Handle()) || IsIconic(GetAncestor(Handle(), GA_ROOT))) {
    statusHidden_ = true;
    return true;
  }
  RefreshStatus(statusHidden_ ? StatusRefresh::kCurrent : StatusRefresh::kTimer);
  statusHidden_ = false;
  return true;
}

bool CSetting::OnCommand(int id, int code, HWND control) {
  if (code != BN_CLICKED) return CDialog::OnCommand(id, code, control);
  // A click that reaches the page while a job waits (a posted one, say) is
  // dropped like any other input then, not run inside the job.
  if (PanelBusy()) return true;
  // Enter and Escape on a page must not end it.
  if (id == IDOK || id == IDCANCEL) return true;
  const PageJob* job = FindPageJob(id);
  if (!job) return CDialog::OnCommand(id, code, control);
  {
    const BusyPanel busy;
    ServiceHost host(Handle(), directory_, store_, &status_);
    job->run(host.AsJob());
  }
  // Listing every service with its binary path stalls the window for a
  // tenth of a second under load; only installing or removing needs it.
  RefreshStatus(job->mayChangeServices ? StatusRefresh::kAfresh : StatusRefresh::kCurrent);
  return true;
}

}  // namespace vexa
