#include "base/folder_entries_win32.h"
#include "base/text_codec.h"
#include "base/wide_text.h"
#include "controls/slide.h"
#include "tests/e2e/driver.h"
#include "tests/remove_tree_win32.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace vexa::e2e {

namespace {

constexpr int kTabStripId = 1003;
constexpr int kMessageTextId = 0xFFFF;
constexpr char kDialogClass[] = "#32770";
constexpr DWORD kCloseTimeoutMs = 8000;
const char kUnsavedQuestion[] = "以下页面有未保存的修改";
constexpr DWORD kAnswerTimeoutMs = 10000;  // for a panel busy on a loaded machine
constexpr char kActionLogName[] = "VexaPanel.log";

std::string WithBackslash(std::string dir) {
  if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
  return dir;
}

// The build writes its folders with forward slashes.
std::string FromEnvironment(const char* name, const char* fallback) {
  constexpr DWORD kChars = MAX_PATH * 2;
  wchar_t value[kChars] = {};
  DWORD n = GetEnvironmentVariableW(Wide(name).c_str(), value, kChars);
  std::string dir = n > 0 && n < kChars ? Narrow(std::wstring(value, n)) : std::string(fallback);
  std::replace(dir.begin(), dir.end(), '/', '\\');
  return WithBackslash(dir);
}

// Memory inside another process, for messages whose parameters point to
// structures the system does not copy across processes.
class RemoteMemory {
 public:
  RemoteMemory(HWND window, size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_)
      address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteMemory() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  bool Ready() const { return address_ != nullptr; }
  char* At(size_t offset) const { return static_cast<char*>(address_) + offset; }
  bool Put(size_t offset, const void* data, size_t size) const {
    return offset + size <= size_ &&
           WriteProcessMemory(process_, At(offset), data, size, nullptr) != 0;
  }
  bool Get(size_t offset, void* data, size_t size) const {
    return offset + size <= size_ &&
           ReadProcessMemory(process_, At(offset), data, size, nullptr) != 0;
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  size_t size_;
};

// TCM_GETITEMW run inside the strip's process: fills item (mask set by the
// caller) and the caption when TCIF_TEXT is asked for.
bool RemoteTabItem(HWND tabs, int index, TCITEMW& item, std::string* caption) {
  constexpr size_t kTextChars = 256;
  constexpr size_t kTextSize = kTextChars * sizeof(wchar_t);
  RemoteMemory memory(tabs, sizeof(TCITEMW) + kTextSize);
  if (!memory.Ready()) return false;
  TCITEMW remote = item;
  remote.pszText = reinterpret_cast<wchar_t*>(memory.At(sizeof(TCITEMW)));
  remote.cchTextMax = kTextChars;
  wchar_t zero[kTextChars] = {};
  if (!memory.Put(0, &remote, sizeof(remote)) || !memory.Put(sizeof(TCITEMW), zero, kTextSize))
    return false;
  if (!SendMessageW(tabs, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(memory.At(0))))
    return false;
  TCITEMW result;
  if (!memory.Get(0, &result, sizeof(result))) return false;
  item.lParam = result.lParam;
  item.dwState = result.dwState;
  if (caption) {
    wchar_t text[kTextChars] = {};
    // The control may answer with its own buffer instead of ours.
    const wchar_t* source = result.pszText;
    if (reinterpret_cast<const char*>(source) != memory.At(sizeof(TCITEMW))) {
      DWORD pid = 0;
      GetWindowThreadProcessId(tabs, &pid);
      ScopedHandle process(OpenProcess(PROCESS_VM_READ, FALSE, pid));
      if (!process ||
          !ReadProcessMemory(process.Get(), source, text, kTextSize - sizeof(wchar_t), nullptr))
        return false;
    } else if (!memory.Get(sizeof(TCITEMW), text, kTextSize - sizeof(wchar_t))) {
      return false;
    }
    *caption = Narrow(text);
  }
  return true;
}

// ---- PNG without compression: stored deflate blocks are enough for a few
// screenshots and need no library.

uint32_t Crc32(const unsigned char* data, size_t size, uint32_t crc = 0) {
  static uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    ready = true;
  }
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBigEndian(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  std::string body = std::string(type, 4) + data;
  out += body;
  PutBigEndian(out, Crc32(reinterpret_cast<const unsigned char*>(body.data()), body.size()));
}

// rows: height rows of width*3 bytes RGB, each prefixed by filter byte 0.
std::string EncodePng(int width, int height, const std::string& rows) {
  std::string zlib = "\x78\x01";
  uint32_t a = 1, b = 0;
  for (unsigned char c : rows) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  size_t pos = 0;
  do {
    size_t n = std::min<size_t>(65535, rows.size() - pos);
    bool last = pos + n == rows.size();
    zlib += static_cast<char>(last ? 1 : 0);
    zlib += static_cast<char>(n & 0xFF);
    zlib += static_cast<char>(n >> 8);
    zlib += static_cast<char>(~n & 0xFF);
    zlib += static_cast<char>((~n >> 8) & 0xFF);
    zlib.append(rows, pos, n);
    pos += n;
  } while (pos < rows.size());
  PutBigEndian(zlib, (b << 16) | a);

  std::string header;
  PutBigEndian(header, static_cast<uint32_t>(width));
  PutBigEndian(header, static_cast<uint32_t>(height));
  header.append("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, filter 0, no interlace
  std::string png = "\x89PNG\r\n\x1a\n";
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", "");
  return png;
}

struct EnumRequest {
  DWORD pid = 0;  // 0: any process
  const char* className = nullptr;
  bool visibleOnly = true;
  bool unownedOnly = false;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* request = reinterpret_cast<EnumRequest*>(param);
  if (request->pid) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != request->pid) return TRUE;
  }
  if (request->visibleOnly && !IsWindowVisible(window)) return TRUE;
  if (request->unownedOnly && GetWindow(window, GW_OWNER)) return TRUE;
  if (request->className && ClassOf(window) != request->className) return TRUE;
  request->found.push_back(window);
  return TRUE;
}

// A sent message is answered before the messages posted earlier, so a
// mark is posted behind them instead: the tab strip's tooltip window, which
// the strip has none of and the panel never reads, set to a value that is
// no window by a sent message and cleared by the posted one. Posted messages
// are handled in order; once it is clear again, every message posted to the
// strip's thread before it has been handled.
bool WaitForPostedBefore(HWND strip) {
  constexpr WPARAM kMark = 1;
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(strip, TCM_SETTOOLTIPS, kMark, 0, SMTO_NORMAL, kAnswerTimeoutMs,
                           &answer))
    return false;
  PostMessageA(strip, TCM_SETTOOLTIPS, 0, 0);
  auto cleared = [&] {
    return SendMessageTimeoutA(strip, TCM_GETTOOLTIPS, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs,
                               &answer) &&
           answer == 0;
  };
  return WaitUntil(cleared, kAnswerTimeoutMs, 5);
}

// WaitForPostedBefore for the thread of window, twice: the second mark
// comes behind what the handling before the first one posted (a WM_CHAR
// of a key, say). The mark is the tab strip of the main window, which owns
// every box; the pages with their edits are built only when first needed.
bool WaitForThreadIdle(HWND window) {
  HWND strip = GetDlgItem(GetAncestor(window, GA_ROOTOWNER), kTabStripId);
  if (!strip) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &answer) != 0;
  }
  for (int mark = 0; mark < 2; ++mark) {
    if (!WaitForPostedBefore(strip)) return false;
  }
  return true;
}

}  // namespace

std::string Lower(const std::string& text) {
  std::wstring wide = Wide(text);
  CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return Narrow(wide);
}

// ---------------------------------------------------------------- locations

std::string DistDir() { return FromEnvironment("VEXA_E2E_DIST_DIR", VEXA_E2E_DIST_DIR); }
std::string StandInDir() { return FromEnvironment("VEXA_E2E_STANDIN_DIR", VEXA_E2E_STANDIN_DIR); }
std::string SkinRecorderDll() {
#ifdef VEXA_E2E_SKIN_RECORDER
  std::string path = VEXA_E2E_SKIN_RECORDER;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
#else
  return "";
#endif
}

std::string ArtifactDir() {
  std::string dir = FromEnvironment("VEXA_E2E_ARTIFACT_DIR", VEXA_E2E_ARTIFACT_DIR);
  CreateDirectoryW(Wide(dir).c_str(), nullptr);
  return dir;
}

// ------------------------------------------------------------ waiting, files

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return condition();
    Sleep(pollMs);
  }
}

std::string ReadFileBytes(const std::string& path) {
  ScopedHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return "";
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
    bytes.append(buffer, read);
  return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  ScopedHandle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

bool FileExists(const std::string& path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

void WaitForNextSecond() {
  auto second = [] {
    SYSTEMTIME now;
    GetSystemTime(&now);
    return now.wMinute * 60 + now.wSecond;
  };
  const int start = second();
  WaitUntil([&] { return second() != start; }, 5000);
}

unsigned short FreePort() {
  HttpRecorder probe;
  return probe.Start(0) ? probe.Port() : 0;
}

std::vector<std::string> DirectoryEntries(const std::string& dir, bool foldersOnly) {
  std::vector<std::string> names;
  for (const FolderEntry& entry : ListFolder(dir).entries) {
    if (entry.IsFolder() || !foldersOnly) names.push_back(entry.name);
  }
  return names;
}

// ------------------------------------------------------- program directory

ProgramDir::ProgramDir(const std::string& nameSuffix, Contents contents) {
  static int counter = 0;
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  // Wine reuses process ids, and a run that was killed leaves its folders.
  std::string base;
  DWORD error = ERROR_ALREADY_EXISTS;
  for (int tries = 0; error == ERROR_ALREADY_EXISTS && tries < 1000; ++tries) {
    base = WithBackslash(Narrow(temp)) + "vexa-e2e-" + std::to_string(GetCurrentProcessId()) +
           "-" + std::to_string(++counter) + nameSuffix;
    error = CreateDirectoryW(Wide(base).c_str(), nullptr) ? ERROR_SUCCESS : GetLastError();
  }
  if (error != ERROR_SUCCESS) {
    failure_ = "cannot create " + base + " (error " + std::to_string(error) + ")";
    return;
  }
  path_ = base + "\\";

  if (contents == Contents::kPanelAndStandIn && !CopyDist()) return;
  if (!CopyIn(StandInDir() + "vexa.exe", "vexa.exe")) {
    failure_ = "cannot copy the stand-in " + StandInDir() + "vexa.exe";
  }
}

bool ProgramDir::CopyDist() {
  std::string dist = DistDir();
  int copied = 0;
  for (const FolderEntry& entry : ListFolder(dist).entries) {
    if (entry.IsFolder()) continue;
    if (!CopyIn(dist + entry.name, entry.name)) {
      failure_ = "cannot copy " + dist + entry.name;
      return false;
    }
    ++copied;
  }
  if (copied == 0) {
    failure_ = "no files in " + dist + " (build the panel first)";
    return false;
  }
  return true;
}

ProgramDir::~ProgramDir() {
  if (path_.empty()) return;
  // No service of a test may stay in the prefix the next tests share.
  if (Exists("real-service")) {
    for (const char* command : {"-stop", "-U"}) {
      WaitForSingleObject(StartStandIn(command).Get(), 10000);
    }
  }
  KillProcessesInside();
  // Files of a process that has just ended can stay locked for a moment.
  WaitUntil([&] { return test::RemoveTree(path_); }, 3000, 50);
}

testing::AssertionResult ProgramDir::Ready() const {
  if (failure_.empty()) return testing::AssertionSuccess() << path_;
  return testing::AssertionFailure() << failure_;
}

bool ProgramDir::Write(const std::string& name, const std::string& bytes) const {
  return WriteFileBytes(File(name), bytes);
}
std::string ProgramDir::Read(const std::string& name) const { return ReadFileBytes(File(name)); }
bool ProgramDir::Exists(const std::string& name) const { return FileExists(File(name)); }
bool ProgramDir::Remove(const std::string& name) const {
  return DeleteFileW(Wide(File(name)).c_str()) != 0;
}
ScopedHandle ProgramDir::StartStandIn(const std::string& arguments, DWORD flags) const {
  return StartProcess("\"" + File("vexa.exe") + "\"" + (arguments.empty() ? "" : " " + arguments),
                      path_, flags);
}
bool ProgramDir::CopyIn(const std::string& source, const std::string& name) const {
  return CopyFileW(Wide(source).c_str(), Wide(File(name)).c_str(), FALSE) != 0;
}

std::vector<std::string> ProgramDir::ActionLog() const {
  return SplitLines(TextFromGbk(Read(kActionLogName)));
}

bool ProgramDir::WaitForLogLine(const std::string& part, size_t count, DWORD timeoutMs) const {
  auto written = [&] {
    size_t found = 0;
    for (const std::string& line : ActionLog()) found += line.find(part) != std::string::npos;
    return found >= count;
  };
  return WaitUntil(written, timeoutMs, 20);
}

std::vector<std::string> ProgramDir::StandInCalls() const {
  return SplitLines(Read("vexa-calls.log"));
}
bool ProgramDir::SetStandInExitCode(int code) const {
  return Write("exit-code", std::to_string(code));
}
bool ProgramDir::SetStandInRealService() const { return Write("real-service", "1"); }
bool ProgramDir::SetStandInIgnoresClose(bool ignore) const {
  return ignore ? Write("ignore-close", "1") : (Remove("ignore-close") || !Exists("ignore-close"));
}

int ProgramDir::KillProcessesInside() const {
  int killed = 0;
  for (DWORD pid : ProcessesInside(path_)) {
    ScopedHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process) continue;
    TerminateProcess(process.Get(), 1);
    WaitForSingleObject(process.Get(), 3000);
    ++killed;
  }
  return killed;
}

// ---------------------------------------------------------------- processes

ScopedHandle StartProcess(const std::string& commandLine, const std::string& workingDir,
                          DWORD flags) {
  std::wstring line = Wide(commandLine);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                      workingDir.empty() ? nullptr : Wide(workingDir).c_str(), &startup, &info)) {
    return ScopedHandle();
  }
  CloseHandle(info.hThread);
  return ScopedHandle(info.hProcess);
}

std::vector<DWORD> ProcessesInside(const std::string& dir) {
  std::vector<DWORD> pids;
  if (dir.empty()) return pids;
  std::string prefix = Lower(WithBackslash(dir));
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return pids;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) continue;
    ScopedHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    if (!process) continue;
    wchar_t image[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (!QueryFullProcessImageNameW(process.Get(), 0, image, &size)) continue;
    if (Lower(Narrow(std::wstring(image, size))).compare(0, prefix.size(), prefix) == 0)
      pids.push_back(entry.th32ProcessID);
  }
  return pids;
}

std::vector<HWND> TopLevelWindows(DWORD pid, const char* className, bool unownedOnly) {
  EnumRequest request;
  request.pid = pid;
  request.className = className;
  request.unownedOnly = unownedOnly;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&request));
  return request.found;
}

std::vector<HWND> WindowsOfClass(const char* className) {
  EnumRequest request;
  request.className = className;
  request.visibleOnly = false;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&request));
  return request.found;
}

// ------------------------------------------------------------------- panel

CommandRun RunPanelCommand(const ProgramDir& dir, const std::string& arguments, DWORD timeoutMs) {
  CommandRun run;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  ScopedHandle reader, writer;
  if (!CreatePipe(reader.Receive(), writer.Receive(), &inherit, 0)) {
    run.output = "CreatePipe failed: " + std::to_string(GetLastError());
    return run;
  }
  SetHandleInformation(reader.Get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW start = {};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdOutput = writer.Get();
  start.hStdError = writer.Get();
  std::wstring line = L"\"" + Wide(dir.File("VexaPanel.exe")) + L"\" " + Wide(arguments);
  PROCESS_INFORMATION started = {};
  // Under load Wine once refused a start outright; the program had not
  // run, so a second try tests the same.
  for (int attempt = 0; !CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        Wide(dir.Path()).c_str(), &start, &started);
       ++attempt) {
    if (attempt == 1) {
      run.output = "CreateProcess failed: " + std::to_string(GetLastError());
      return run;
    }
    Sleep(500);
  }
  ScopedHandle process(started.hProcess);
  ScopedHandle thread(started.hThread);
  writer.Reset();  // the pipe ends when the panel's copy closes
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(reader.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    bytes.append(buffer, got);
  }
  WaitForSingleObject(process.Get(), timeoutMs);
  GetExitCodeProcess(process.Get(), &run.exitCode);
  run.output = TextFromAnsi(bytes);
  return run;
}


Panel::~Panel() {
  if (!process_) return;
  if (Running() && !Close(kCloseTimeoutMs)) Kill();
  CloseHandle(process_);
}

testing::AssertionResult Panel::Start(const ProgramDir& dir, const PanelOptions& options) {
  if (process_) return testing::AssertionFailure() << "panel already started";
  std::string exe = dir.File(options.exeName);
  std::string commandLine = "\"" + exe + "\"";
  if (!options.arguments.empty()) commandLine += " " + options.arguments;
  std::string workingDir = options.workingDir.empty() ? dir.Path() : options.workingDir;
  ScopedHandle process = StartProcess(commandLine, workingDir);
  if (!process) {
    return testing::AssertionFailure()
           << "CreateProcess " << exe << " failed, error " << GetLastError();
  }
  pid_ = GetProcessId(process.Get());
  process_ = process.Release();

  WaitUntil(
      [&] {
        if (!Running()) return true;
        auto windows = TopLevelWindows(pid_, kDialogClass, true);
        if (!windows.empty()) main_ = windows.front();
        return main_ != nullptr;
      },
      options.startTimeoutMs, 20);
  if (!main_) {
    if (!Running())
      return testing::AssertionFailure() << "panel ended at start with code " << ExitCode();
    return testing::AssertionFailure() << "no visible main window after "
                                       << options.startTimeoutMs << " ms";
  }
  return testing::AssertionSuccess();
}

HWND Panel::Tabs() const { return Item(main_, kTabStripId); }

HWND Panel::Page(int tab) const { return reinterpret_cast<HWND>(TabItemData(Tabs(), tab)); }

bool Panel::Running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Panel::WaitForExit(DWORD timeoutMs) const {
  return !process_ || WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Panel::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_, &code);
  return code;
}

bool Panel::Close(DWORD timeoutMs) {
  if (!Running()) return true;
  PostMessageA(main_, WM_CLOSE, 0, 0);
  // Edits a test left unsaved: the panel asks, and they are not kept.
  std::optional<MessageBoxInfo> question;
  WaitUntil(
      [&] {
        question = FindMessageBox(pid_, main_);
        return !Running() || question;
      },
      timeoutMs);
  if (question && Running() && question->text.rfind(kUnsavedQuestion, 0) == 0) {
    PressButton(*question, IDNO);
  }
  return WaitForExit(timeoutMs);
}

bool Panel::WaitForIdle() const { return main_ && WaitForThreadIdle(main_); }

bool Panel::NoBoxOnceIdle() const { return WaitForIdle() && !FindMessageBox(pid_, main_); }

void Panel::Kill() {
  if (!Running()) return;
  TerminateProcess(process_, 1);
  WaitForSingleObject(process_, 3000);
}

// ---------------------------------------------------------- window content

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

std::string ClassOf(HWND window) {
  wchar_t name[256] = {};
  int n = GetClassNameW(window, name, 256);
  return Narrow(std::wstring(name, n > 0 ? n : 0));
}

std::string Text(HWND window) {
  if (!window) return "";
  LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT got =
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return Narrow(text);
}

std::string ItemText(HWND dialog, int id) { return Text(Item(dialog, id)); }

bool SetText(HWND window, const std::string& text) {
  return window &&
         SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

bool SetItemText(HWND dialog, int id, const std::string& text) {
  return SetText(Item(dialog, id), text);
}

// ---------------------------------------------------------------- keyboard

namespace {

DWORD PanelThread(const Panel& panel) {
  return panel.Main() ? GetWindowThreadProcessId(panel.Main(), nullptr) : 0;
}

// Runs a Linux program and waits for it: Wine's loader exports the call
// that its own tools use to start Unix programs.
bool RunUnixProgram(const std::vector<std::string>& argv) {
  using Spawn = LONG(WINAPI*)(char* const*, int);
  auto spawn = reinterpret_cast<Spawn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
  if (!spawn) return false;
  std::vector<std::string> copies(argv);
  std::vector<char*> args;
  args.reserve(copies.size() + 1);
  for (std::string& a : copies) args.push_back(a.data());
  args.push_back(nullptr);
  return spawn(args.data(), TRUE) == 0;
}

}  // namespace

HWND FocusOf(const Panel& panel) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(PanelThread(panel), &info)) return nullptr;
  return info.hwndFocus;
}

int FocusedId(const Panel& panel) {
  HWND focus = FocusOf(panel);
  return focus ? GetDlgCtrlID(focus) : 0;
}

bool PostKey(const Panel& panel, UINT virtualKey, HWND window) {
  if (!window) window = FocusOf(panel);
  if (!window) return false;
  UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
  LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
  LPARAM up = down | (LPARAM(1) << 30) | (LPARAM(1) << 31);
  if (!PostMessageA(window, WM_KEYDOWN, virtualKey, down)) return false;
  PostMessageA(window, WM_KEYUP, virtualKey, up);
  return panel.WaitForIdle();
}

bool PressKeys(const Panel& panel, const std::string& keys) {
  // Wine gives the X focus to the X window of whichever window it activates,
  // so keys typed now reach the window in front without moving that focus.
  // Wine drops the first key after the X focus first arrives: a lone Shift,
  // which no window acts on, takes that place. Nothing outside Wine tells
  // when that focus has arrived (the key state shows the Shift either way),
  // so this one pause per test program stays.
  static bool primed = false;
  if (!primed) {
    primed = true;
    RunUnixProgram({"xdotool", "key", "shift"});
    Sleep(300);
  }
  // A modifier that Wine still takes for held (its release went to another
  // window) would turn Tab into Ctrl+Tab: let go of it first.
  const std::pair<int, const char*> modifiers[] = {
      {VK_CONTROL, "ctrl"}, {VK_SHIFT, "shift"}, {VK_MENU, "alt"}};
  for (const auto& [key, name] : modifiers) {
    if (GetAsyncKeyState(key) < 0) RunUnixProgram({"xdotool", "keyup", name});
  }
  // A box or dialog the panel shows is what the keys go to (not a tooltip).
  auto box = FindMessageBox(panel.Pid(), panel.Main());
  HWND front = box ? box->window : panel.Main();
  SetForegroundWindow(front);
  WaitUntil([&] { return GetForegroundWindow() == front; }, 2000);
  std::vector<std::string> command = {"xdotool", "key", "--delay", "30"};
  for (size_t start = 0; start < keys.size();) {
    size_t end = keys.find(' ', start);
    if (end == std::string::npos) end = keys.size();
    if (end > start) command.push_back(keys.substr(start, end - start));
    start = end + 1;
  }
  // The keys reach the panel later than xdotool returns, through the X
  // server: callers wait for what the keys lead to.
  return RunUnixProgram(command);
}

void Click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }
void ClickItem(HWND dialog, int id) { Click(Item(dialog, id)); }

bool IsChecked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool IsEnabled(HWND window) { return IsWindowEnabled(window) != 0; }
bool IsVisible(HWND window) { return IsWindowVisible(window) != 0; }
LONG_PTR StyleOf(HWND window) { return GetWindowLongPtrA(window, GWL_STYLE); }

std::vector<std::string> ListBoxItems(HWND list) {
  std::vector<std::string> items;
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    // Wine copies the line across processes as UTF-16 whichever way it is
    // asked; asked for UTF-16, Windows and Wine agree.
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length == LB_ERR) break;
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide.data()));
    wide.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
    items.push_back(Narrow(wide));
  }
  return items;
}

int ListBoxSelection(HWND list) {
  const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
  return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

RECT RectIn(HWND window, HWND reference) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, reference, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// ---------------------------------------------------------------- tab strip

int TabCount(HWND tabs) { return static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0)); }
int TabSelection(HWND tabs) { return static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0)); }

std::string TabCaption(HWND tabs, int index) {
  TCITEMW item = {};
  item.mask = TCIF_TEXT;
  std::string caption;
  return RemoteTabItem(tabs, index, item, &caption) ? caption : std::string();
}

LPARAM TabItemData(HWND tabs, int index) {
  TCITEMW item = {};
  item.mask = TCIF_PARAM;
  return RemoteTabItem(tabs, index, item, nullptr) ? item.lParam : 0;
}

RECT TabDisplayArea(HWND tabs) {
  RECT area = {};
  GetClientRect(tabs, &area);
  RemoteMemory memory(tabs, sizeof(area));
  if (!memory.Ready() || !memory.Put(0, &area, sizeof(area))) return {};
  SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(memory.At(0)));
  if (!memory.Get(0, &area, sizeof(area))) return {};
  return area;
}

int PagesBuilt(HWND tabs) {
  int pages = 0;
  for (HWND child = GetWindow(tabs, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    pages += ClassOf(child) == kDialogClass;
  }
  return pages;
}

void SelectTab(HWND tabs, int index) { SendMessageA(tabs, TCM_SETCURFOCUS, index, 0); }

bool WaitForPageAtRest(const Panel& panel, int tab) {
  HWND tabs = panel.Tabs();
  HWND page = panel.Page(tab);
  // A sliding page is drawn by the strip and shown only at its place.
  bool atRest = WaitUntil([&] { return IsVisible(page); }, kAnswerTimeoutMs);
  // The slide's last step moves the page there and repaints it in one
  // timer message; a sent message is answered only after that.
  DWORD_PTR answer = 0;
  return atRest &&
         SendMessageTimeoutA(tabs, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &answer) != 0;
}

HWND ShowTab(const Panel& panel, int tab) {
  SelectTab(panel.Tabs(), tab);
  WaitForPageAtRest(panel, tab);
  return panel.Page(tab);
}

// ------------------------------------------------------------ message boxes

bool MessageBoxInfo::HasButton(int id) const {
  return std::any_of(buttons.begin(), buttons.end(), [&](const auto& b) { return b.first == id; });
}

MessageBoxInfo ReadMessageBox(HWND box) {
  MessageBoxInfo info;
  info.window = box;
  info.owner = GetWindow(box, GW_OWNER);
  info.caption = Text(box);
  info.text = ItemText(box, kMessageTextId);
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) != "Button" || !IsWindowVisible(child)) continue;
    info.buttons.emplace_back(GetDlgCtrlID(child), Text(child));
  }
  return info;
}

std::optional<MessageBoxInfo> FindMessageBox(DWORD pid, HWND exclude) {
  for (HWND window : TopLevelWindows(pid, kDialogClass)) {
    if (window != exclude) return ReadMessageBox(window);
  }
  return std::nullopt;
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, HWND exclude, DWORD timeoutMs) {
  std::optional<MessageBoxInfo> box;
  WaitUntil([&] { return (box = FindMessageBox(pid, exclude)).has_value(); }, timeoutMs, 20);
  return box;
}

bool PressButton(const MessageBoxInfo& box, int id, DWORD timeoutMs) {
  HWND button = Item(box.window, id);
  if (!button) return false;
  Click(button);
  return WaitUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); },
                   timeoutMs);
}

// ------------------------------------------------------------ service page

testing::AssertionResult ServicePage::Start() {
  if (auto ready = dir.Ready(); !ready) return ready;
  if (auto started = panel.Start(dir); !started) return started;
  page = panel.Page(kServiceTab);
  return page ? testing::AssertionSuccess() : testing::AssertionFailure() << "no service page";
}

std::optional<MessageBoxInfo> ServicePage::Click(HWND on, int id) {
  ClickItem(on, id);
  return WaitForMessageBox(panel.Pid(), panel.Main());
}

std::string ServicePage::WriteFreePort() {
  std::string port = std::to_string(FreePort());
  EXPECT_TRUE(dir.Write("vexa.cfg", "port = " + port + "\r\n"));
  return port;
}

// -------------------------------------------------------------- screenshots

Picture CaptureWindow(HWND window) {
  Picture picture;
  RECT rect;
  GetWindowRect(window, &rect);
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return picture;

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC source = GetWindowDC(window);
  HDC memory = CreateCompatibleDC(source);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    SelectObject(memory, old);
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(static_cast<size_t>(width) * height * 3);
    const auto* pixels = static_cast<const unsigned char*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
      picture.rgb[i * 3] = pixels[i * 4 + 2];
      picture.rgb[i * 3 + 1] = pixels[i * 4 + 1];
      picture.rgb[i * 3 + 2] = pixels[i * 4];
    }
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(window, source);
  return picture;
}

COLORREF Picture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
  size_t i = (static_cast<size_t>(y) * width + x) * 3;
  return RGB(rgb[i], rgb[i + 1], rgb[i + 2]);
}

std::string SavePicture(const Picture& picture, const std::string& name) {
  if (picture.width <= 0 || picture.height <= 0) return "";
  std::string rows;
  rows.reserve(static_cast<size_t>(picture.height) * (picture.width * 3 + 1));
  for (int y = 0; y < picture.height; ++y) {
    rows += '\0';
    rows.append(reinterpret_cast<const char*>(picture.rgb.data()) +
                    static_cast<size_t>(y) * picture.width * 3,
                static_cast<size_t>(picture.width) * 3);
  }
  std::string file = ArtifactDir() + name + ".png";
  return WriteFileBytes(file, EncodePng(picture.width, picture.height, rows)) ? file : "";
}

bool PaintNow(HWND window) {
  // Painting another thread's window now is a sent WM_PAINT: done on return.
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // Wine hands a window's new pixels to the X server when its thread next
  // waits for messages.
  return WaitForThreadIdle(window);
}

std::string SaveScreenshot(HWND window, const std::string& name) {
  // Under Wine neither the screen DC nor PrintWindow gives another process's
  // pixels, but the window's own DC does (children included, not covered
  // by other windows).
  PaintNow(window);
  return SavePicture(CaptureWindow(window), name);
}

// ----------------------------------------------------------------- registry

RegistryValueOverride::RegistryValueOverride(const std::string& key, const std::string& name)
    : name_(Wide(name)) {
  if (RegCreateKeyExW(HKEY_CURRENT_USER, Wide(key).c_str(), 0, nullptr, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key_.Receive(),
                      nullptr) != ERROR_SUCCESS) {
    key_.Release();
    return;
  }
  DWORD size = 0;
  if (RegQueryValueExW(key_.Get(), name_.c_str(), nullptr, &type_, nullptr, &size) != ERROR_SUCCESS)
    return;
  old_.resize(size);
  had_ = RegQueryValueExW(key_.Get(), name_.c_str(), nullptr, &type_, old_.data(), &size) ==
         ERROR_SUCCESS;
  old_.resize(size);
}

RegistryValueOverride::~RegistryValueOverride() {
  if (had_) {
    Put(type_, old_.data(), old_.size());
  } else if (key_) {
    RegDeleteValueW(key_.Get(), name_.c_str());
  }
}

bool RegistryValueOverride::Set(DWORD value) const { return Put(REG_DWORD, &value, sizeof value); }

bool RegistryValueOverride::Set(const std::string& text) const {
  const std::wstring wide = Wide(text);
  return Put(REG_SZ, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
}

bool RegistryValueOverride::Put(DWORD type, const void* data, size_t size) const {
  return key_ && RegSetValueExW(key_.Get(), name_.c_str(), 0, type, static_cast<const BYTE*>(data),
                                static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

// ------------------------------------------------------------ HTTP recorder

HttpRecorder::~HttpRecorder() { Stop(); }

testing::AssertionResult HttpRecorder::Start(unsigned short port) {
  if (thread_) return testing::AssertionFailure() << "recorder already running";
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return testing::AssertionFailure() << "WSAStartup";
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener == INVALID_SOCKET) return testing::AssertionFailure() << "socket";
  BOOL exclusive = TRUE;
  setsockopt(listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
             sizeof(exclusive));
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(listener, 8) != 0) {
    int error = WSAGetLastError();
    closesocket(listener);
    return testing::AssertionFailure() << "cannot listen on 127.0.0.1:" << port << ", error "
                                       << error;
  }
  int size = sizeof(address);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
  port_ = ntohs(address.sin_port);
  listener_ = listener;
  stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, Serve, this, 0, nullptr);
  return testing::AssertionSuccess() << "listening on " << port_;
}

// Read by the browser of the prefix (tests/e2e/fetch-url.sh), which cannot
// see a Windows process's environment.
constexpr char kPort80File[] = "C:\\vexa-e2e-port-80";

void HttpRecorder::RedirectPort80() {
  redirected_ = WriteFileBytes(kPort80File, std::to_string(port_));
}

void HttpRecorder::Stop() {
  if (redirected_) DeleteFileW(Wide(kPort80File).c_str());
  redirected_ = false;
  if (!thread_) return;
  SetEvent(stop_);
  WaitForSingleObject(thread_, 5000);
  CloseHandle(thread_);
  CloseHandle(stop_);
  closesocket(static_cast<SOCKET>(listener_));
  thread_ = nullptr;
  stop_ = nullptr;
  WSACleanup();
}

DWORD WINAPI HttpRecorder::Serve(void* param) {
  auto* self = static_cast<HttpRecorder*>(param);
  auto listener = static_cast<SOCKET>(self->listener_);
  while (WaitForSingleObject(self->stop_, 0) == WAIT_TIMEOUT) {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(listener, &ready);
    timeval wait = {0, 50000};
    if (select(0, &ready, nullptr, nullptr, &wait) <= 0) continue;
    SOCKET client = accept(listener, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    DWORD timeout = 3000;
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof(timeout));
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      int n = recv(client, buffer, sizeof(buffer), 0);
      if (n <= 0) break;
      request.append(buffer, n);
    }
    static const char kAnswer[] =
        "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 2\r\n"
        "Connection: close\r\n\r\nok";
    send(client, kAnswer, sizeof(kAnswer) - 1, 0);
    shutdown(client, SD_SEND);
    closesocket(client);
    size_t end = request.find("\r\n\r\n");
    if (end != std::string::npos) request.resize(end + 4);
    if (!request.empty()) self->Record(std::move(request));
  }
  return 0;
}

void HttpRecorder::Record(std::string request) {
  CriticalSection::Lock hold(lock_);
  requests_.push_back(std::move(request));
}

std::vector<std::string> HttpRecorder::Requests() const {
  CriticalSection::Lock hold(lock_);
  return requests_;
}

bool HttpRecorder::WaitForRequests(size_t count, DWORD timeoutMs) const {
  return WaitUntil([&] { return Requests().size() >= count; }, timeoutMs, 20);
}

std::string HttpRecorder::Target(const std::string& request) {
  size_t first = request.find(' ');
  if (first == std::string::npos) return "";
  size_t second = request.find(' ', first + 1);
  if (second == std::string::npos) return "";
  return request.substr(first + 1, second - first - 1);
}

// ------------------------------------------------------------ responsiveness

ResponsePinger::ResponsePinger(HWND target) : target_(target) {
  thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

ResponsePinger::~ResponsePinger() { Stop(); }

double ResponsePinger::Stop() {
  if (thread_) {
    InterlockedExchange(&stop_, 1);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  return longestMs_;
}

int ResponsePinger::Pings() const { return static_cast<int>(pings_); }

std::vector<std::pair<double, double>> ResponsePinger::SlowPings(double slowMs) const {
  std::vector<std::pair<double, double>> slow;
  for (const auto& answer : answers_) {
    if (answer.second > slowMs) slow.push_back(answer);
  }
  return slow;
}

DWORD WINAPI ResponsePinger::Run(void* param) {
  auto* self = static_cast<ResponsePinger*>(param);
  LARGE_INTEGER frequency, start;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  while (!InterlockedCompareExchange(&self->stop_, 0, 0)) {
    LARGE_INTEGER sent, answered;
    QueryPerformanceCounter(&sent);
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(self->target_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
    QueryPerformanceCounter(&answered);
    const double ms = static_cast<double>(answered.QuadPart - sent.QuadPart) * 1000.0 /
                      static_cast<double>(frequency.QuadPart);
    if (ms > self->longestMs_) self->longestMs_ = ms;
    if (ms > 40 && self->answers_.size() < 64) {
      self->answers_.emplace_back(static_cast<double>(sent.QuadPart - start.QuadPart) * 1000.0 /
                                      static_cast<double>(frequency.QuadPart),
                                  ms);
    }
    InterlockedIncrement(&self->pings_);
    Sleep(20);
  }
  return 0;
}

}  // namespace vexa::e2e
