#pragma once
// End-to-end driver: starts the real VexaPanel.exe in a program directory of
// its own and drives it from outside, through window messages only, the way
// a user's clicks reach it. Everything here works across processes under
// Wine (see the notes at each helper for the messages that do not).
//
// A test reads like this:
//
//   TEST(Example, ServicePageInstallsTheService) {
//     e2e::ProgramDir dir;                       // temp dir with the dist files + stand-in
//     vexa.exe ASSERT_TRUE(dir.Ready()); dir.Write("vexa.cfg", "port = 7000\r\n");  // optional
//     e2e::Panel panel;
//     ASSERT_TRUE(panel.Start(dir));             // waits for the visible main window
//     HWND page = panel.Page(0);                 // the service page (tab 0)
//     e2e::ClickItem(page, 1008);                // posted BM_CLICK
//     auto box = e2e::WaitForMessageBox(panel.Pid(), panel.Main());
//     ASSERT_TRUE(box);
//     EXPECT_EQ(box->caption, "Vexa后台服务");   // texts are UTF-8
//     e2e::PressButton(*box, IDOK);
//     EXPECT_EQ(dir.StandInCalls().size(), 1u);  // what vexa.exe was asked to do
//   }                                            // panel closed, then dir removed
//
// Texts and paths are UTF-8, like the panel's own, and cross to the system
// as UTF-16, so the driver reads the same under every ANSI code page. File
// contents are bytes as they are on disk.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "base/scoped_handles_win32.h"

namespace vexa::e2e {

// --------------------------------------------------------- the panel's layout

// The main window's tabs in order; each page's top left corner is at
// (kPageX, kPageY) of the main window's client area.
constexpr int kServiceTab = 0, kDirectoriesTab = 1, kOptionsTab = 2, kLimitsTab = 3;
constexpr LONG kPageX = 4, kPageY = 28;
// Captions of the boxes: the application's, and the settings pages'.
constexpr char kAppCaption[] = "VexaPanel";
constexpr char kPageCaption[] = "Vexa服务器";

// ---------------------------------------------------------------- locations

// Folders of the build, each ending in a backslash. Fixed when the tests are
// built; the environment variables VEXA_E2E_DIST_DIR, VEXA_E2E_STANDIN_DIR and
// VEXA_E2E_ARTIFACT_DIR override them.
std::string DistDir();      // VexaPanel.exe, VexaAdmin.dll, tab.wav, Readme.txt
std::string StandInDir();   // the stand-in vexa.exe
std::string ArtifactDir();  // screenshots and other keepsakes of a run; created on demand
// Full path of the recording stand-in of VexaAdmin.dll (it appends each skin
// entry's number to "skin-calls.log" beside the executable); "" when the
// build has none.
std::string SkinRecorderDll();

// ------------------------------------------------------------ waiting, files

// Polls condition every pollMs until it holds or timeoutMs has passed;
// returns its last value.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 10);

std::string ReadFileBytes(const std::string& path);  // "" when missing
// Lower case as Windows folds file names.
std::string Lower(const std::string& text);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// The names in dir (ending in a backslash), without "." and "..", in the
// file system's order; only the folders with foldersOnly.
std::vector<std::string> DirectoryEntries(const std::string& dir, bool foldersOnly = false);

// Splits at "\r\n" or "\n"; a final line break adds no empty line.
std::vector<std::string> SplitLines(const std::string& text);

// Returns once the clock is in a later second: a time stamp differs now.
void WaitForNextSecond();

// A port of 127.0.0.1 free a moment ago (bound as port 0 and read back).
unsigned short FreePort();

// ------------------------------------------------------- program directory

// A fresh program directory under the system's temp folder, named
// "vexa-e2e-<pid>-<n><suffix>" (pass a suffix with blanks or Chinese to test
// such paths), holding copies of every file of DistDir() and the stand-in
// vexa.exe. The destructor ends every process whose executable lies inside
// it (a stand-in console left open, a panel a test forgot) and removes it.
class ProgramDir {
 public:
  enum class Contents { kPanelAndStandIn, kStandInOnly };
  explicit ProgramDir(const std::string& nameSuffix = "",
                      Contents contents = Contents::kPanelAndStandIn);
  ~ProgramDir();
  ProgramDir(const ProgramDir&) = delete;
  ProgramDir& operator=(const ProgramDir&) = delete;

  // Whether the directory and its copies were made; the message says what failed.
  testing::AssertionResult Ready() const;

  const std::string& Path() const { return path_; }  // ends in a backslash
  std::string File(const std::string& name) const { return path_ + name; }

  bool Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;
  bool Remove(const std::string& name) const;
  // Copies a file from elsewhere in under the given name (replacing one).
  bool CopyIn(const std::string& source, const std::string& name) const;
  // Starts the stand-in by hand, as a user would, with arguments after its
  // quoted path and this directory as the working one (StartProcess).
  ScopedHandle StartStandIn(const std::string& arguments = "", DWORD flags = 0) const;

  // The panel's action log "VexaPanel.log" (GBK) as UTF-8 lines.
  std::vector<std::string> ActionLog() const;
  // Waits until at least count lines of the action log contain part: the
  // panel writes a job's line as the job ends, before any box it shows.
  bool WaitForLogLine(const std::string& part, size_t count = 1, DWORD timeoutMs = 20000) const;

  // The stand-in tracker's record: each command line it was started with,
  // in order (from "vexa-calls.log", which it writes in UTF-8).
  std::vector<std::string> StandInCalls() const;
  // Makes the stand-in exit with this code for its service switches
  // (writes the file "exit-code").
  bool SetStandInExitCode(int code) const;
  // Makes the stand-in's switches work on a real service named after this
  // directory (file "real-service"); the directory's end stops and removes it.
  bool SetStandInRealService() const;
  // Makes the stand-in's console window ignore WM_CLOSE (file "ignore-close").
  bool SetStandInIgnoresClose(bool ignore) const;

  // Terminates every process started from an executable inside this folder;
  // returns how many there were.
  int KillProcessesInside() const;

 private:
  bool CopyDist();

  std::string path_;
  std::string failure_;
};

// ---------------------------------------------------------------- processes

// Starts a command line (the program's quoted path first) in workingDir
// ("" for the test's own) with CreateProcess's flags: the process, empty on
// failure (GetLastError says why; GetProcessId names it).
ScopedHandle StartProcess(const std::string& commandLine, const std::string& workingDir = "",
                          DWORD flags = 0);

// Process ids of the running processes whose executable lies inside dir
// (compared case-insensitively by full path prefix).
std::vector<DWORD> ProcessesInside(const std::string& dir);

// Visible top-level windows of a process, optionally only of one class and
// only those without an owner.
std::vector<HWND> TopLevelWindows(DWORD pid, const char* className = nullptr,
                                  bool unownedOnly = false);

// Top-level windows of any process with this class (visible or not), e.g.
// the stand-in's "ConsoleWindowClass".
std::vector<HWND> WindowsOfClass(const char* className);

// ------------------------------------------------------------------- panel

struct PanelOptions {
  // Appended to the quoted program path on its command line.
  std::string arguments;
  // Working directory of the process; empty means the program directory.
  std::string workingDir;
  // Executable inside the program directory.
  std::string exeName = "VexaPanel.exe";
  // How long Start waits for the visible main window.
  DWORD startTimeoutMs = 20000;
};

// A run of VexaPanel.exe from dir with arguments and no window: its exit
// code (STILL_ACTIVE after timeoutMs) and what it wrote to its standard
// output, read from a pipe, as UTF-8.
struct CommandRun {
  DWORD exitCode = STILL_ACTIVE;
  std::string output;
};
CommandRun RunPanelCommand(const ProgramDir& dir, const std::string& arguments,
                           DWORD timeoutMs = 30000);

// The running panel. The destructor closes it like a user (WM_CLOSE) and
// kills it when it does not end within a few seconds.
class Panel {
 public:
  Panel() = default;
  ~Panel();
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  // Starts the panel from dir with CreateProcess and waits until its main
  // window (an unowned "#32770" of the process) is visible, which is after
  // its WM_INITDIALOG has run.
  testing::AssertionResult Start(const ProgramDir& dir, const PanelOptions& options = {});

  DWORD Pid() const { return pid_; }
  HANDLE Process() const { return process_; }
  HWND Main() const { return main_; }
  HWND Tabs() const;              // the tab strip, control 1003 of the main window
  HWND Page(int tab) const;       // the page window that tab carries as its item data

  bool Running() const;
  bool WaitForExit(DWORD timeoutMs) const;
  // Exit code once ended; STILL_ACTIVE while running.
  DWORD ExitCode() const;
  // Waits until the panel has handled every message posted to it before
  // the call, and what that handling posted in turn. A box the handling
  // opened shows by then; a job that pumps messages may still be running.
  bool WaitForIdle() const;
  // WaitForIdle, then whether no box is open. Wait for a job's last trace first.
  bool NoBoxOnceIdle() const;

  // Posts WM_CLOSE to the main window and waits for the process to end.
  bool Close(DWORD timeoutMs = 10000);
  // Last resort.
  void Kill();

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND main_ = nullptr;
};

// ---------------------------------------------------------- window content

HWND Item(HWND dialog, int id);
std::string ClassOf(HWND window);
// WM_GETTEXT, which Windows copies across processes (GetWindowText would not
// ask another process's edit).
std::string Text(HWND window);
std::string ItemText(HWND dialog, int id);
// WM_SETTEXT, also copied across processes. Sends no EN_CHANGE-style typing.
bool SetText(HWND window, const std::string& text);
bool SetItemText(HWND dialog, int id, const std::string& text);

// ---------------------------------------------------------------- keyboard

// The window that has the keyboard focus in the panel's user-interface
// thread (GetGUIThreadInfo: GetFocus only answers for the caller's thread).
HWND FocusOf(const Panel& panel);
// The control with that id in dialog, or null: which field has the focus.
int FocusedId(const Panel& panel);

// A key press (WM_KEYDOWN, WM_KEYUP) posted to the window with the focus, or
// to window when given: it runs through the panel's message loop and its
// dialog manager as a keystroke would, but without the state of Shift or
// Ctrl (see PressKeys). Returns once the panel has handled it.
bool PostKey(const Panel& panel, UINT virtualKey, HWND window = nullptr);

// Real keystrokes through the X server (xdotool key names, blank-separated,
// e.g. "ctrl+Tab", "shift+Tab Tab", "Return"), delivered by Wine to the panel's focus with the
// modifier keys held: the panel's main window is brought to the foreground
// first. They arrive a little after this returns: wait for what they lead
// to. False when xdotool cannot be run.
bool PressKeys(const Panel& panel, const std::string& keys);

// A click as posted BM_CLICK: returns at once, also when the click opens a
// modal box (SendMessage would block until that box closed).
void Click(HWND button);
void ClickItem(HWND dialog, int id);

bool IsChecked(HWND button);  // BM_GETCHECK
bool IsEnabled(HWND window);
bool IsVisible(HWND window);
LONG_PTR StyleOf(HWND window);

// A list box's lines (LB_GETTEXT, which the system copies across
// processes) and its selection (LB_GETCURSEL, -1 for none).
std::vector<std::string> ListBoxItems(HWND list);
int ListBoxSelection(HWND list);

// The window's rectangle in the client coordinates of reference (the
// desktop when reference is null).
RECT RectIn(HWND window, HWND reference);

// ---------------------------------------------------------------- tab strip

int TabCount(HWND tabs);
int TabSelection(HWND tabs);
// Caption and item data of a tab. TCM_GETITEM carries a pointer, which is
// not copied across processes, so these go through memory inside the panel.
std::string TabCaption(HWND tabs, int index);
LPARAM TabItemData(HWND tabs, int index);
// The strip's display area (TCM_ADJUSTRECT), in its client coordinates.
RECT TabDisplayArea(HWND tabs);
// Selects a tab the way a click does: TCM_SETCURFOCUS makes the strip send
// its own TCN_SELCHANGING/TCN_SELCHANGE (a WM_NOTIFY sent from outside would
// not arrive). Returns when the panel has handled both.
void SelectTab(HWND tabs, int index);
// How many page windows the strip holds: a page is built when it is first
// needed. Counted without asking the strip for a tab's page, which builds it.
int PagesBuilt(HWND tabs);
// Waits until the tab's page is shown at its place with its slide over
// (the slide's last step, which repaints it, has returned); true then.
bool WaitForPageAtRest(const Panel& panel, int tab);
// SelectTab, then WaitForPageAtRest; returns the page.
HWND ShowTab(const Panel& panel, int tab);

// ------------------------------------------------------------ message boxes

struct MessageBoxInfo {
  HWND window = nullptr;
  HWND owner = nullptr;
  std::string caption;
  std::string text;                                  // static 0xFFFF
  std::vector<std::pair<int, std::string>> buttons;  // id and caption, e.g. {IDOK, "确定"}
  bool HasButton(int id) const;
};

// A visible top-level "#32770" of the process other than exclude (the main
// window): a message box or another dialog the panel opened.
std::optional<MessageBoxInfo> FindMessageBox(DWORD pid, HWND exclude);
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, HWND exclude, DWORD timeoutMs = 10000);
// Reads a dialog that is known (caption, static 0xFFFF, buttons).
MessageBoxInfo ReadMessageBox(HWND box);
// Presses one of the box's buttons (posted BM_CLICK) and waits until the box is gone.
bool PressButton(const MessageBoxInfo& box, int id, DWORD timeoutMs = 5000);

// ------------------------------------------------------------ service page

// A started panel on its service page, with the stand-in beside it.
struct ServicePage {
  explicit ServicePage(const std::string& suffix = "") : dir(suffix) {}
  testing::AssertionResult Start();
  // Clicks a control of the page, or of another window, and waits for the
  // box that comes up.
  std::optional<MessageBoxInfo> Click(int id) { return Click(page, id); }
  std::optional<MessageBoxInfo> Click(HWND on, int id);
  // Once the panel is idle: true when no box is open.
  bool NoBox() const { return panel.NoBoxOnceIdle(); }
  // Writes a vexa.cfg whose port was free when the test started; the port.
  std::string WriteFreePort();

  ProgramDir dir;
  Panel panel;
  HWND page = nullptr;
};

// ------------------------------------------------------------ responsiveness

// Sends WM_NULL to a window every 20 ms from a thread of its own (a 60 s
// time-out each) and keeps the longest time one took to be answered: how
// long the window seemed frozen.
class ResponsePinger {
 public:
  explicit ResponsePinger(HWND target);
  ~ResponsePinger();
  ResponsePinger(const ResponsePinger&) = delete;
  ResponsePinger& operator=(const ResponsePinger&) = delete;

  // Stops pinging; returns the longest answer time in milliseconds.
  double Stop();
  int Pings() const;
  // After Stop: the pings answered later than slowMs, as (milliseconds
  // after the start when sent, answer time), the first 64 of them.
  std::vector<std::pair<double, double>> SlowPings(double slowMs) const;

 private:
  static DWORD WINAPI Run(void* param);

  HWND target_;
  HANDLE thread_ = nullptr;
  volatile LONG stop_ = 0;
  volatile LONG pings_ = 0;
  double longestMs_ = 0;  // written by the thread until Stop has joined it
  std::vector<std::pair<double, double>> answers_;  // (sent, took) of the slowest, likewise
};

// -------------------------------------------------------------- screenshots

// Repaints the window and its children and waits until the screen has them.
bool PaintNow(HWND window);

// Saves what the screen shows of the window (after PaintNow) as a
// PNG file ArtifactDir() + name + ".png"; returns the path, "" on failure.
std::string SaveScreenshot(HWND window, const std::string& name);

// What the window shows right now, frame included, without asking it to
// repaint first (for pictures taken while something moves).
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;  // top-down rows of R, G, B
  COLORREF At(int x, int y) const;  // CLR_INVALID outside
};
Picture CaptureWindow(HWND window);
// As SaveScreenshot, for a picture taken before.
std::string SavePicture(const Picture& picture, const std::string& name);

// ----------------------------------------------------------------- registry

// One value under HKEY_CURRENT_USER, changed for as long as this lives: the
// destructor puts back what was there before, or deletes the value.
class RegistryValueOverride {
 public:
  RegistryValueOverride(const std::string& key, const std::string& name);
  ~RegistryValueOverride();
  RegistryValueOverride(const RegistryValueOverride&) = delete;
  RegistryValueOverride& operator=(const RegistryValueOverride&) = delete;

  bool Set(DWORD value) const;              // REG_DWORD
  bool Set(const std::string& text) const;  // REG_SZ

 private:
  bool Put(DWORD type, const void* data, size_t size) const;

  ScopedRegKey key_;
  std::wstring name_;
  bool had_ = false;
  DWORD type_ = REG_NONE;
  std::vector<BYTE> old_;
};

// ------------------------------------------------------------ HTTP recorder

// A tiny HTTP server on 127.0.0.1 inside the test process: records each
// request's raw bytes (request line and headers) and answers 200 with a
// short body. One thread; stops in the destructor. Tests listen on a free
// port (0) and give it to the panel.
class HttpRecorder {
 public:
  HttpRecorder() = default;
  ~HttpRecorder();
  HttpRecorder(const HttpRecorder&) = delete;
  HttpRecorder& operator=(const HttpRecorder&) = delete;

  // Listens on the port (0: any free port, see Port()).
  testing::AssertionResult Start(unsigned short port);
  // Until Stop, the browser of the test prefix fetches http addresses of
  // port 80 (the site's links) from this recorder instead.
  void RedirectPort80();
  unsigned short Port() const { return port_; }
  void Stop();

  std::vector<std::string> Requests() const;
  // Waits until at least count requests have arrived.
  bool WaitForRequests(size_t count, DWORD timeoutMs) const;

  // Request target of a recorded request ("/x?y=1" of "GET /x?y=1 HTTP/1.1").
  static std::string Target(const std::string& request);

 private:
  static DWORD WINAPI Serve(void* param);
  void Record(std::string request);

  unsigned short port_ = 0;
  UINT_PTR listener_ = ~UINT_PTR(0);
  bool redirected_ = false;
  HANDLE thread_ = nullptr;
  HANDLE stop_ = nullptr;
  mutable CriticalSection lock_;
  std::vector<std::string> requests_;
};

}  // namespace vexa::e2e
