// The panel's figures under Wine, each measured side by side with its
// yardstick in the same run, rounds alternating, medians reported:
//   startup  the real VexaPanel.exe to its visible main window, against an
//            empty Win32 dialog program; peak working set after every tab
//   config   vexa.cfg load plus save through CWinConfigFile, against plain
//            ReadFile plus WriteFile of the same bytes
//   backup   BackupFiles (the code behind the backup button, without its
//            message box) on the *.vexa files of a folder, against CopyFileW
//   restore  RestoreBackupFiles from a backup of that folder, against
//            CopyFileW of the same files
//   cli-backup  VexaPanel.exe /backup on those files, against BackupFiles
// Prints "RESULT <name> <value>" lines for scripts/benchmark.sh.
//   vexa_win32_bench startup <rounds>    (the empty dialog programs lie beside it)
//   vexa_win32_bench config <scratch folder> <rounds>
//   vexa_win32_bench backup|restore|cli-backup <data folder> <rounds>
//   vexa_win32_bench crt <rounds>   the C runtime's memchr and memcpy as the
//            text steps use them, to compare with the same loop natively
#include <windows.h>
#include <psapi.h>
#include <iphlpapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "backup/backup.h"
#include "backup/backup_names.h"
#include "backup/restore.h"
#include "base/path_exists.h"
#include "base/process_win32.h"
#include "base/wide_text.h"
#include "config/config_file_win32.h"
#include "config/config_store.h"
#include "service_page/status_control_win32.h"
#include "tests/e2e/driver.h"
#include "tests/remove_tree_win32.h"
#include "bench/config_sample.h"
#include "tracker/tracker_launcher.h"

namespace {

using vexa::test::RemoveTree;

using vexa::Narrow;
using vexa::Wide;

using vexa::e2e::ProgramDir;

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Result(const std::string& name, double value) {
  std::printf("RESULT %s %.6g\n", name.c_str(), value);
  std::fflush(stdout);
}

void Samples(const std::string& name, const std::vector<double>& values) {
  std::printf("SAMPLES %s", name.c_str());
  for (double v : values) std::printf(" %.4g", v);
  std::printf("\n");
}

std::string WithBackslash(std::string dir) {
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  return dir;
}

// ------------------------------------------------------------- start-up

struct Started {
  int windows = 0;  // windows of the process once its main window shows
  double seconds = -1;
  double createdSeconds = -1;  // the main window exists, before WM_INITDIALOG ran
  SIZE_T shownWorkingSet = 0;  // once the window shows
  SIZE_T peakWorkingSet = 0;   // after every tab, at the end
};

SIZE_T WorkingSet(HANDLE process, bool peak) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(process, &counters, sizeof(counters))) return 0;
  return peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
  auto* pid = reinterpret_cast<DWORD*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (owner != *pid || std::string(name) != "#32770" || GetWindow(window, GW_OWNER)) return TRUE;
  *pid = 0;  // found
  return FALSE;
}

bool AnyDialogOf(DWORD pid) {
  EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&pid));
  return pid == 0;
}

// Starts exe with dir as its working folder and times it to its first
// visible unowned dialog; with exercise, every tab is shown before the peak
// working set is read. Then closes it like a user.
BOOL CALLBACK CountWindow(HWND, LPARAM param) {
  ++*reinterpret_cast<int*>(param);
  return TRUE;
}

Started TimeStart(const std::string& exe, const std::string& dir, bool exercise,
                  const std::string& arguments = "") {
  Started started;
  std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  double begin = Now();
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      dir.c_str(), &startup, &info)) {
    std::fprintf(stderr, "cannot start %s: %lu\n", exe.c_str(), GetLastError());
    return started;
  }
  HWND mainWindow = nullptr;
  while (Now() - begin < 30) {
    if (started.createdSeconds < 0 && AnyDialogOf(info.dwProcessId)) started.createdSeconds = Now() - begin;
    auto windows = vexa::e2e::TopLevelWindows(info.dwProcessId, "#32770", true);
    if (!windows.empty()) {
      mainWindow = windows.front();
      break;
    }
    if (WaitForSingleObject(info.hProcess, 2) == WAIT_OBJECT_0) break;
  }
  if (mainWindow) {
    started.seconds = Now() - begin;
    started.shownWorkingSet = WorkingSet(info.hProcess, false);
    started.windows = 1;
    EnumChildWindows(mainWindow, CountWindow, reinterpret_cast<LPARAM>(&started.windows));
    if (exercise) {
      HWND tabs = GetDlgItem(mainWindow, 1003);
      for (int tab : {1, 2, 3, 0}) {
        vexa::e2e::SelectTab(tabs, tab);
        Sleep(700);  // the slide-in
      }
    } else {
      Sleep(300);
    }
    started.peakWorkingSet = WorkingSet(info.hProcess, true);
    // Time to look at the process from outside (e.g. /proc/<pid>/smaps).
    char hold[16] = {};
    if (exercise && GetEnvironmentVariableA("VEXA_BENCH_HOLD_MS", hold, sizeof hold))
      Sleep(static_cast<DWORD>(std::atoi(hold)));
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return started;
}

std::string OwnFolder() {
  char path[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
  std::string s(path, n);
  return s.substr(0, s.find_last_of('\\') + 1);  // the build's folders are ASCII
}

int Startup(int rounds) {
  const std::string emptyDialog = OwnFolder() + "vexa_empty_dialog.exe";
  const std::string loadedDialog = OwnFolder() + "vexa_empty_dialog_loaded.exe";
  ProgramDir dir;
  if (!dir.Ready()) {
    std::fprintf(stderr, "%s\n", dir.Ready().message());
    return 1;
  }
  dir.Write("vexa.cfg", "port = 6969\r\nvexa_max_conns = 64\r\n");
  std::string panel = dir.File("VexaPanel.exe");
  // One start of each first: the first start of a program loads its DLLs
  // from disk, later ones find them cached, as a user's second start does.
  const int panelWindows = TimeStart(panel, dir.Path(), false).windows;
  TimeStart(emptyDialog, dir.Path(), false);
  TimeStart(loadedDialog, dir.Path(), false);
  // The loaded dialog once more with as many windows as the panel makes.
  const std::string asMany = std::to_string(std::max(1, panelWindows - 1));
  TimeStart(loadedDialog, dir.Path(), false, asMany);

  std::vector<double> panelTimes, emptyTimes, loadedTimes, ratios, loadedRatios, panelPeaks,
      emptyPeaks, loadedPeaks, panelShown, panelCreated, emptyCreated, manyTimes, manyRatios;
  for (int round = 0; round < rounds; ++round) {
    Started p = TimeStart(panel, dir.Path(), true);
    Started e = TimeStart(emptyDialog, dir.Path(), false);
    Started l = TimeStart(loadedDialog, dir.Path(), false);
    if (l.seconds < 0) {
      std::fprintf(stderr, "no window: %s\n", loadedDialog.c_str());
      return 1;
    }
    Started m = TimeStart(loadedDialog, dir.Path(), false, asMany);
    if (m.seconds < 0) return 1;
    manyTimes.push_back(m.seconds * 1000);
    manyRatios.push_back(p.seconds / m.seconds);
    loadedTimes.push_back(l.seconds * 1000);
    loadedRatios.push_back(p.seconds / l.seconds);
    loadedPeaks.push_back(l.peakWorkingSet / 1048576.0);
    if (p.seconds < 0 || e.seconds < 0) {
      std::fprintf(stderr, "no window: %s %.3f, %s %.3f\n", panel.c_str(), p.seconds,
                   emptyDialog.c_str(), e.seconds);
      return 1;
    }
    panelTimes.push_back(p.seconds * 1000);
    emptyTimes.push_back(e.seconds * 1000);
    ratios.push_back(p.seconds / e.seconds);
    panelPeaks.push_back(p.peakWorkingSet / 1048576.0);
    panelShown.push_back(p.shownWorkingSet / 1048576.0);
    panelCreated.push_back(p.createdSeconds * 1000);
    emptyCreated.push_back(e.createdSeconds * 1000);
    emptyPeaks.push_back(e.peakWorkingSet / 1048576.0);
  }
  Samples("startup_panel_ms", panelTimes);
  Samples("startup_empty_ms", emptyTimes);
  Samples("startup_loaded_ms", loadedTimes);
  Result("startup_loaded_ms", Median(loadedTimes));
  Result("panel_windows", panelWindows);
  Result("startup_many_ms", Median(manyTimes));
  Result("startup_many_ratio", Median(manyRatios));
  Result("startup_panel_created_ms", Median(panelCreated));
  Result("startup_empty_created_ms", Median(emptyCreated));
  Result("startup_loaded_ratio", Median(loadedRatios));
  Result("peak_ws_loaded_mb", Median(loadedPeaks));
  Result("startup_panel_ms", Median(panelTimes));
  Result("startup_empty_ms", Median(emptyTimes));
  Result("startup_ratio", Median(ratios));
  Result("peak_ws_panel_mb", Median(panelPeaks));
  Result("ws_panel_shown_mb", Median(panelShown));
  Result("peak_ws_empty_mb", Median(emptyPeaks));
  return 0;
}

// --------------------------------------------------------------- config

using vexa::bench::MakeConfig;

std::string ReadWhole(const std::string& path) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  std::string bytes;
  if (file == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size;
  GetFileSizeEx(file, &size);
  bytes.resize(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  bytes.resize(got);
  CloseHandle(file);
  return bytes;
}

bool WriteWhole(const std::string& path, const std::string& bytes, bool flush) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  if (flush) ok = FlushFileBuffers(file) && ok;
  return CloseHandle(file) && ok;
}

int Config(const std::string& folder, int rounds) {
  std::string dir = WithBackslash(folder);
  std::vector<double> cpuTimes, rawTimes, flushedTimes, storeTimes[2], ratios, flushedRatios;
  const int sizes[2] = {10000, 100000};
  std::string texts[2] = {MakeConfig(sizes[0]), MakeConfig(sizes[1])};
  std::string saved[2];
  for (int round = 0; round < rounds; ++round) {
    for (int s = 0; s < 2; ++s) {
      std::string cfg = dir + "vexa-" + std::to_string(sizes[s]) + ".cfg";
      WriteWhole(cfg, texts[s], false);
      vexa::CWinConfigFile file(cfg);
      double begin = Now();
      vexa::ConfigStore store(file);
      store.Load();
      if (!store.Save().ok) {
        std::fprintf(stderr, "save of %s failed\n", cfg.c_str());
        return 1;
      }
      storeTimes[s].push_back((Now() - begin) * 1000);
      // The save writes every line as "key = value"; the same input must
      // give the same bytes each round.
      std::string written = ReadWhole(cfg);
      if (saved[s].empty()) saved[s] = written;
      if (written != saved[s] || written.size() < texts[s].size()) {
        std::fprintf(stderr, "the save of %s differs between rounds\n", cfg.c_str());
        return 1;
      }
    }
    {
      // The text steps alone, without the disk.
      vexa::CWinConfigFile unused(dir + "unused.cfg");
      double begin = Now();
      vexa::ConfigStore store(unused);
      store.Parse(texts[1]);
      std::string bytes = store.Serialize();
      cpuTimes.push_back((Now() - begin) * 1000);
      if (bytes.empty()) return 1;
    }
    std::string in = dir + "raw-in.cfg", out = dir + "raw-out.cfg";
    WriteWhole(in, texts[1], false);
    double begin = Now();
    std::string bytes = ReadWhole(in);
    WriteWhole(out, bytes, false);
    rawTimes.push_back((Now() - begin) * 1000);
    begin = Now();
    bytes = ReadWhole(in);
    WriteWhole(out, bytes, true);
    flushedTimes.push_back((Now() - begin) * 1000);
    ratios.push_back(storeTimes[1].back() / rawTimes.back());
    flushedRatios.push_back(storeTimes[1].back() / flushedTimes.back());
  }
  for (const char* name : {"vexa-10000.cfg", "vexa-100000.cfg", "raw-in.cfg", "raw-out.cfg"})
    DeleteFileW(Wide(dir + name).c_str());
  Samples("config_win32_100k_ms", storeTimes[1]);
  Samples("config_raw_100k_ms", rawTimes);
  Result("config_win32_10k_ms", Median(storeTimes[0]));
  Result("config_win32_100k_ms", Median(storeTimes[1]));
  Result("config_raw_100k_ms", Median(rawTimes));
  Result("config_text_steps_100k_ms", Median(cpuTimes));
  Result("config_raw_flushed_100k_ms", Median(flushedTimes));
  Result("config_win32_ratio", Median(ratios));
  Result("config_win32_flushed_ratio", Median(flushedRatios));
  Result("config_win32_scaling", Median(storeTimes[1]) / Median(storeTimes[0]));
  return 0;
}

// ------------------------------------------------------------------ crt

// The calls the text steps of vexa.cfg make per line (memchr for the line
// end and the "=", memcpy for the pieces), alone.
int Crt(int rounds) {
  std::string text = MakeConfig(100000);
  std::vector<double> scanTimes, copyTimes;
  for (int round = 0; round < rounds; ++round) {
    double begin = Now();
    size_t lines = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
      if (!lf) break;
      lines += std::memchr(p, '=', lf - p) != nullptr;
      p = lf + 1;
    }
    scanTimes.push_back((Now() - begin) * 1000);
    begin = Now();
    std::string out(text.size() + 300000, '\0');
    char* q = &out[0];
    p = text.data();
    for (size_t i = 0; i < lines && p + 30 < end; ++i, p += 28) {
      // Byte pieces of a file image, no C strings.
      std::memcpy(q, p, 18);
      q += 18;
      std::memcpy(q, " = ", 3);  // NOLINT(bugprone-not-null-terminated-result)
      q += 3;
      std::memcpy(q, p + 20, 8);
      q += 8;
      std::memcpy(q, "\r\n", 2);  // NOLINT(bugprone-not-null-terminated-result)
      q += 2;
    }
    copyTimes.push_back((Now() - begin) * 1000);
    if (lines != 100000) return 1;
  }
  Result("crt_memchr_lines_100k_ms", Median(scanTimes));
  Result("crt_memcpy_pieces_100k_ms", Median(copyTimes));
  return 0;
}

// --------------------------------------------------------------- backup

std::vector<std::string> DataFiles(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(Wide(dir + "*.vexa").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(Narrow(found.cFileName));
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return names;
}

// Runs the jobs of each round one after the other, the first one rotating
// from round to round so that what the page cache holds evens out. Round -1
// is not counted: it brings the files into the page cache. A job returns
// its seconds, or a negative number when it failed; ms gets each job's
// times in ms.
bool TakeTurns(int rounds, const std::vector<std::function<double()>>& jobs,
               std::vector<std::vector<double>>* ms) {
  ms->assign(jobs.size(), {});
  for (int round = -1; round < rounds; ++round) {
    for (size_t i = 0; i < jobs.size(); ++i) {
      const size_t job = (i + static_cast<size_t>(round + 1)) % jobs.size();
      const double seconds = jobs[job]();
      if (seconds < 0) return false;
      if (round >= 0) (*ms)[job].push_back(seconds * 1000);
    }
  }
  return true;
}

// CopyFileW of the named files from one folder into a new one, deleted
// again afterwards (with flush, each copy is flushed to the disk too); the
// seconds, or -1.
double CopyAll(const std::vector<std::string>& names, const std::string& from, const std::string& to,
               bool flush = false) {
  CreateDirectoryW(Wide(to).c_str(), nullptr);
  double begin = Now();
  bool ok = true;
  for (const std::string& name : names) {
    ok = CopyFileW(Wide(from + name).c_str(), Wide(to + name).c_str(), FALSE) && ok;
    if (!flush) continue;
    vexa::ScopedHandle copy(CreateFileW(Wide(to + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ok = copy && FlushFileBuffers(copy.Get()) && ok;
  }
  double seconds = Now() - begin;
  RemoveTree(to);
  return ok ? seconds : -1;
}

// BackupFiles on dir, as the backup button calls it; the seconds, or -1.
// The backup folder is deleted again.
double TimedBackup(const std::string& dir) {
  double begin = Now();
  vexa::BackupOutcome outcome =
      vexa::BackupFiles(dir, vexa::BackupKind::kPlain, vexa::LocalBackupTime());
  double seconds = Now() - begin;
  RemoveTree(dir + vexa::kBackupRootName);
  if (!outcome.status.ok) std::fprintf(stderr, "backup: %s\n", outcome.status.message.c_str());
  return outcome.status.ok ? seconds : -1;
}

// The second job's times over the first's, round by round.
std::vector<double> Ratios(const std::vector<std::vector<double>>& ms) {
  std::vector<double> ratios;
  for (size_t i = 0; i < ms[0].size(); ++i) ratios.push_back(ms[1][i] / ms[0][i]);
  return ratios;
}

// The bytes of the backed-up files of dir (ending in a backslash).
bool BackupSet(const std::string& dir, std::vector<std::string>* names, double* bytes) {
  *names = DataFiles(dir);
  names->push_back("vexa.cfg");
  *bytes = 0;
  for (const std::string& name : *names) {
    std::uint64_t size = 0;
    if (!vexa::FileSizeOnDisk(dir + name, &size)) {
      std::fprintf(stderr, "missing %s%s\n", dir.c_str(), name.c_str());
      return false;
    }
    *bytes += static_cast<double>(size);
  }
  return true;
}

int Backup(const std::string& folder, int rounds) {
  std::string dir = WithBackslash(folder);
  std::vector<std::string> names;
  double bytes = 0;
  if (!BackupSet(dir, &names, &bytes)) return 1;
  std::vector<std::vector<double>> ms;
  const std::string copies = dir + "copies\\";
  if (!TakeTurns(rounds,
                 {[&] { return TimedBackup(dir); }, [&] { return CopyAll(names, dir, copies); },
                  [&] { return CopyAll(names, dir, copies, true); }},
                 &ms)) {
    return 1;
  }
  Samples("backup_ms", ms[0]);
  Samples("copyfile_ms", ms[1]);
  Result("backup_bytes", bytes);
  Result("backup_ms", Median(ms[0]));
  Result("copyfile_ms", Median(ms[1]));
  Result("backup_speed_ratio", Median(Ratios(ms)));  // > 1: the backup is faster
  // The backup flushes every copy to the disk before it counts as made.
  Result("copyfile_flushed_ms", Median(ms[2]));
  return 0;
}

// RestoreBackupFiles, the restore button's copy, from a backup of the data
// folder back over its files, against CopyFileW of the same files out of
// that backup.
int Restore(const std::string& folder, int rounds) {
  std::string dir = WithBackslash(folder);
  vexa::BackupOutcome made =
      vexa::BackupFiles(dir, vexa::BackupKind::kPlain, vexa::LocalBackupTime());
  if (!made.status.ok) {
    std::fprintf(stderr, "backup: %s\n", made.status.message.c_str());
    return 1;
  }
  const std::string from = made.directory;
  std::vector<std::string> names;
  double bytes = 0;
  std::vector<std::vector<double>> ms;
  bool ok = BackupSet(from, &names, &bytes) &&
            TakeTurns(rounds, {[&] {
                        double begin = Now();
                        vexa::RestoreOutcome outcome = vexa::RestoreBackupFiles(dir, from, from);
                        if (!outcome.status.ok) {
                          std::fprintf(stderr, "restore: %s\n", outcome.status.message.c_str());
                          return -1.0;
                        }
                        return Now() - begin;
                      },
                      [&] { return CopyAll(names, from, dir + "copies\\"); },
                      [&] { return CopyAll(names, from, dir + "copies\\", true); }}, &ms);
  RemoveTree(dir + vexa::kBackupRootName);
  if (!ok) return 1;
  Samples("restore_ms", ms[0]);
  Samples("copyfile_restore_ms", ms[1]);
  Result("restore_bytes", bytes);
  Result("restore_ms", Median(ms[0]));
  Result("copyfile_restore_ms", Median(ms[1]));
  Result("restore_speed_ratio", Median(Ratios(ms)));
  // The restore flushes every copy before it replaces a live file.
  Result("copyfile_flushed_restore_ms", Median(ms[2]));
  return 0;
}

// --------------------------------------------------------------- status

double CpuSeconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  auto seconds = [](FILETIME t) {
    return static_cast<double>(vexa::JoinHalves(t.dwHighDateTime, t.dwLowDateTime)) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

int Status(int rounds) {
  ProgramDir dir;
  if (!dir.Ready()) {
    std::fprintf(stderr, "%s\n", dir.Ready().message());
    return 1;
  }
  dir.Write("vexa.cfg", "port = 6969\r\n");
  // A console instance running, so that its image path is read as well.
  vexa::StartTrackerConsole(dir.Path());
  Sleep(1000);

  constexpr int kRefreshes = 60;
  vexa::CServiceStatus status;
  status.Refresh(dir.Path(), "6969", vexa::StatusRefresh::kAfresh);
  std::printf("STATUS %s\n", status.Shown().c_str());
  std::vector<double> cpu, wall, freshCpu, freshWall;
  for (int round = 0; round < rounds; ++round) {
    for (bool afresh : {false, true}) {
      double c = CpuSeconds(GetCurrentProcess());
      double t = Now();
      // The timer's refreshes in the panel's rhythm: each table every few.
      for (int i = 0; i < kRefreshes; ++i) {
        status.Refresh(dir.Path(), "6969",
                       afresh ? vexa::StatusRefresh::kAfresh : vexa::StatusRefresh::kTimer);
      }
      (afresh ? freshCpu : cpu).push_back((CpuSeconds(GetCurrentProcess()) - c) * 1000 / kRefreshes);
      (afresh ? freshWall : wall).push_back((Now() - t) * 1000 / kRefreshes);
    }
  }
  Samples("status_refresh_cpu_ms", cpu);
  Result("status_refresh_cpu_ms", Median(cpu));
  Result("status_refresh_wall_ms", Median(wall));
  Result("status_refresh_afresh_cpu_ms", Median(freshCpu));
  Result("status_refresh_afresh_wall_ms", Median(freshWall));

  // The same with the tracker's service installed (stopped): it is asked by
  // name every few refreshes.
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  const std::wstring binaryPath = vexa::Wide("\"" + dir.File("vexa.exe") + "\" -service");
  auto install = [&] {
    return manager ? CreateServiceW(manager, L"VexaPanelBench", L"VexaPanelBench", SERVICE_ALL_ACCESS,
                                    SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                                    binaryPath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr)
                   : nullptr;
  };
  SC_HANDLE service = install();
  if (service) {
    status.Refresh(dir.Path(), "6969", vexa::StatusRefresh::kAfresh);
    std::printf("STATUS %s\n", status.Shown().c_str());
    std::vector<double> serviceCpu;
    for (int round = 0; round < rounds; ++round) {
      double c = CpuSeconds(GetCurrentProcess());
      for (int i = 0; i < kRefreshes; ++i) status.Refresh(dir.Path(), "6969");
      serviceCpu.push_back((CpuSeconds(GetCurrentProcess()) - c) * 1000 / kRefreshes);
    }
    Result("status_refresh_service_cpu_ms", Median(serviceCpu));
    DeleteService(service);
    CloseServiceHandle(service);
  }
  // The refresh the install button asks for once its service is there: the
  // service is new to the line, and the registry watch has seen it come.
  std::vector<double> installedCpu;
  for (int round = 0; round < rounds && manager; ++round) {
    double seconds = 0;
    for (int i = 0; i < kRefreshes && (service = install()) != nullptr; ++i) {
      double c = CpuSeconds(GetCurrentProcess());
      status.Refresh(dir.Path(), "6969", vexa::StatusRefresh::kAfresh);
      seconds += CpuSeconds(GetCurrentProcess()) - c;
      DeleteService(service);
      CloseServiceHandle(service);
    }
    if (!service) {
      std::fprintf(stderr, "status: no service installed: %lu\n", GetLastError());
      break;
    }
    installedCpu.push_back(seconds * 1000 / kRefreshes);
  }
  if (!installedCpu.empty()) Result("status_refresh_installed_cpu_ms", Median(installedCpu));
  if (manager) CloseServiceHandle(manager);

  dir.KillProcessesInside();
  return 0;
}

// Each system call behind one refresh, alone: CPU of this process and
// elapsed time per call, the median of rounds of 60 calls.
int StatusParts(int rounds) {
  ProgramDir dir;
  if (!dir.Ready()) {
    std::fprintf(stderr, "%s\n", dir.Ready().message());
    return 1;
  }
  vexa::StartTrackerConsole(dir.Path());
  Sleep(1000);
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE);
  std::vector<unsigned char> buffer(std::size_t{256} * 1024);
  HANDLE self = OpenProcess(SYNCHRONIZE, FALSE, GetCurrentProcessId());
  using NtQuery = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
  auto ntQuery = reinterpret_cast<NtQuery>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  const std::vector<std::pair<const char*, std::function<void()>>> parts = {
      {"toolhelp_snapshot", [] {
         HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
         PROCESSENTRY32 entry = {};
         entry.dwSize = sizeof entry;
         for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
         }
         CloseHandle(snapshot);
       }},
      {"nt_process_information", [&] {
         ULONG size = 0;
         ntQuery(5, buffer.data(), static_cast<ULONG>(buffer.size()), &size);  // SystemProcessInformation
       }},
      {"enum_processes", [&] {
         DWORD size = 0;
         EnumProcesses(reinterpret_cast<DWORD*>(buffer.data()), static_cast<DWORD>(buffer.size()), &size);
       }},
      {"tcp_listeners_ipv4", [&] {
         DWORD size = static_cast<DWORD>(buffer.size());
         GetExtendedTcpTable(buffer.data(), &size, FALSE, 2, TCP_TABLE_OWNER_PID_LISTENER, 0);
       }},
      {"tcp_listeners_ipv6", [&] {
         DWORD size = static_cast<DWORD>(buffer.size());
         GetExtendedTcpTable(buffer.data(), &size, FALSE, 23, TCP_TABLE_OWNER_PID_LISTENER, 0);
       }},
      {"open_missing_service", [&] {
         SC_HANDLE service = OpenServiceA(manager, "VexaNoSuchService", SERVICE_QUERY_STATUS);
         if (service) CloseServiceHandle(service);
       }},
      {"enum_services", [&] {
         DWORD needed = 0, count = 0, resume = 0;
         EnumServicesStatusExA(manager, SC_ENUM_PROCESS_INFO, SERVICE_WIN32, SERVICE_STATE_ALL,
                               buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count,
                               &resume, nullptr);
       }},
      {"wait_zero_timeout", [&] { WaitForMultipleObjects(1, &self, FALSE, 0); }},
  };
  for (const auto& part : parts) {
    std::vector<double> cpu, wall;
    for (int round = 0; round < rounds; ++round) {
      double c = CpuSeconds(GetCurrentProcess());
      double t = Now();
      for (int i = 0; i < 60; ++i) part.second();
      cpu.push_back((CpuSeconds(GetCurrentProcess()) - c) * 1000 / 60);
      wall.push_back((Now() - t) * 1000 / 60);
    }
    Result(std::string("part_") + part.first + "_cpu_ms", Median(cpu));
    Result(std::string("part_") + part.first + "_wall_ms", Median(wall));
  }
  CloseHandle(self);
  CloseServiceHandle(manager);
  dir.KillProcessesInside();
  return 0;
}

// Copies the *.vexa files of dataDir into the program directory.
bool CopyData(const std::string& dataDir, const ProgramDir& dir) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(Wide(dataDir + "*.vexa").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    const std::string name = Narrow(found.cFileName);
    ok = ok && dir.CopyIn(dataDir + name, name);
    // On the disk before the panel starts: the panel's first flush would
    // otherwise write out these copies too, inside the one wineserver, and
    // its pings would wait for the benchmark's own gigabyte.
    vexa::ScopedHandle copy(CreateFileW(Wide(dir.File(name)).c_str(), GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    ok = ok && copy && FlushFileBuffers(copy.Get());
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return ok;
}

// Runs the panel with arguments in dir until it exits; its exit code, or -1
// with why filled in when it ran as a window instead or did not end.
long RunPanelToExit(const ProgramDir& dir, const std::string& arguments, std::string* why) {
  vexa::ProcessLaunch launch;
  launch.commandLine = "\"" + dir.File("VexaPanel.exe") + "\" " + arguments;
  launch.workingDirectory = dir.Path();
  vexa::StartedProcess started = vexa::StartProcess(launch);
  const vexa::ScopedHandle& process = started.process;
  if (!process) {
    *why = "VexaPanel.exe did not start (error " + std::to_string(started.error) + ")";
    return -1;
  }
  const DWORD pid = GetProcessId(process.Get());
  const double begin = Now();
  DWORD code = 0;
  while (WaitForSingleObject(process.Get(), 20) == WAIT_TIMEOUT) {
    auto windows = vexa::e2e::TopLevelWindows(pid, "#32770", true);
    if (!windows.empty() || Now() - begin > 600) {
      *why = windows.empty() ? "VexaPanel.exe " + arguments + " did not end within 600 s"
                             : "VexaPanel.exe has no " + arguments + ": it opened its window";
      if (!windows.empty()) PostMessageA(windows.front(), WM_CLOSE, 0, 0);
      if (WaitForSingleObject(process.Get(), 10000) != WAIT_OBJECT_0) TerminateProcess(process.Get(), 1);
      return -1;
    }
  }
  GetExitCodeProcess(process.Get(), &code);
  return static_cast<long>(code);
}

// VexaPanel.exe /backup in a program directory holding the data files,
// against the backup button's code on the same directory.
int CommandLineBackup(const std::string& dataDir, int rounds) {
  ProgramDir dir;
  if (!dir.Ready() || !dir.Write("vexa.cfg", "port = 6969\r\nvexa_max_conns = 64\r\n") ||
      !CopyData(WithBackslash(dataDir), dir)) {
    std::fprintf(stderr, "no program directory with the data files\n");
    return 1;
  }
  const std::string backups = dir.File(vexa::kBackupRootName);
  std::string why;
  auto commandLine = [&] {
    const double begin = Now();
    const long code = RunPanelToExit(dir, "/backup", &why);
    const double seconds = Now() - begin;
    const bool made = vexa::PathExists(backups);
    RemoveTree(backups);
    if (code == 2 || (code == 0 && !made)) why = "VexaPanel.exe has no /backup";
    if (code > 0 && why.empty()) why = "VexaPanel.exe /backup exited with " + std::to_string(code);
    return why.empty() ? seconds : -1;
  };
  std::vector<std::vector<double>> ms;
  const bool ok = TakeTurns(rounds, {commandLine, [&] { return TimedBackup(dir.Path()); }}, &ms);
  dir.KillProcessesInside();
  if (!why.empty()) {
    std::printf("NOTE cli_backup %s\n", why.c_str());
    return 0;
  }
  if (!ok) return 1;
  Samples("cli_backup_ms", ms[0]);
  Result("cli_backup_ms", Median(ms[0]));
  Result("cli_backup_button_ms", Median(ms[1]));
  return 0;
}

// Presses OK (or the given button) on the next box of the panel.
bool Answer(const vexa::e2e::Panel& panel, int button, const char* expectCaption = nullptr) {
  auto box = vexa::e2e::WaitForMessageBox(panel.Pid(), panel.Main(), 120000);
  if (!box) return false;
  if (expectCaption && box->caption != expectCaption) {
    std::fprintf(stderr, "unexpected box \"%s\": %s\n", box->caption.c_str(), box->text.c_str());
  }
  return vexa::e2e::PressButton(*box, button, 10000);
}

// One job of the service page from its click to its last box, pinged all
// along; the longest unanswered time in ms, or -1 when the run went wrong.
double PingedJob(const std::string& dataDir, const std::string& job, bool* progressSeen) {
  ProgramDir dir;
  if (!dir.Ready()) return -1;
  dir.Write("vexa.cfg", "port = 6969\r\nvexa_max_conns = 64\r\n");
  if (job == "switch") dir.Write("delay-ms", "3000");
  // The panel checks a switch's success with the service manager.
  if ((job == "switch" || job == "install") && !dir.SetStandInRealService()) return -1;
  if ((job == "backup" || job == "install") && !CopyData(dataDir, dir)) return -1;
  vexa::e2e::Panel panel;
  if (!panel.Start(dir)) return -1;
  HWND page = panel.Page(0);
  double longest = -1;
  {
    vexa::e2e::ResponsePinger pinger(panel.Main());
    const double begin = Now();
    // When each box came, to tell which step a slow answer fell into.
    auto answer = [&](int button, const char* expectCaption = nullptr) {
      bool answered = Answer(panel, button, expectCaption);
      std::printf("TRACE %s box answered at %.0f ms\n", job.c_str(), (Now() - begin) * 1000);
      return answered;
    };
    bool ok = true;
    if (job == "idle") {
      Sleep(3000);  // the yardstick: nothing to do, the same load around
    } else if (job == "switch") {
      vexa::e2e::ClickItem(page, 1008);
      ok = answer(IDOK);
    } else if (job == "first-tabs") {
      // Each settings page is built when its tab is first chosen; the
      // start-up's own last steps, which the idle job times, go first.
      Sleep(1000);
      for (int tab : {1, 2, 3}) {
        vexa::e2e::SelectTab(panel.Tabs(), tab);
        ok = ok && vexa::e2e::WaitForPageAtRest(panel, tab);
      }
    } else if (job == "backup") {
      vexa::e2e::ClickItem(page, 1075);
      vexa::e2e::WaitUntil([&] {
        if (vexa::e2e::ItemText(page, 1090).find("正在备份") == 0) *progressSeen = true;
        return vexa::e2e::FindMessageBox(panel.Pid(), panel.Main()).has_value();
      }, 120000, 50);
      ok = answer(IDOK);
    } else {
      vexa::e2e::ClickItem(page, 1074);
      ok = answer(IDOK) && answer(IDOK) &&  // confirmation, cleared
           answer(IDCANCEL, "创建管理员") && answer(IDOK);
    }
    double ms = pinger.Stop();
    for (const auto& slow : pinger.SlowPings(40)) {
      std::printf("TRACE %s ping sent at %.0f ms took %.0f ms\n", job.c_str(), slow.first, slow.second);
    }
    if (ok) longest = ms;
  }
  panel.Close();
  return longest;
}

int Responsive(const std::string& dataDir, int rounds) {
  const std::string data = WithBackslash(dataDir);
  for (const char* job : {"idle", "first-tabs", "switch", "backup", "install"}) {
    std::vector<double> longest;
    bool progressSeen = false;
    for (int round = 0; round < rounds; ++round) {
      double ms = PingedJob(data, job, &progressSeen);
      if (ms < 0) {
        std::fprintf(stderr, "responsive %s: the run went wrong\n", job);
        return 1;
      }
      longest.push_back(ms);
    }
    std::string name = std::string("freeze_") + job + "_ms";
    std::replace(name.begin(), name.end(), '-', '_');
    Samples(name, longest);
    Result(name, *std::max_element(longest.begin(), longest.end()));
    if (std::string(job) == "backup") Result("backup_progress_seen", progressSeen ? 1 : 0);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string what = argc > 1 ? argv[1] : "";
  int rounds = argc > 2 ? std::max(1, std::atoi(argv[argc - 1])) : 5;
  if (what == "startup") return Startup(rounds);
  if (what == "config" && argc > 2) return Config(argv[2], rounds);
  if (what == "backup" && argc > 2) return Backup(argv[2], rounds);
  if (what == "restore" && argc > 2) return Restore(argv[2], rounds);
  if (what == "cli-backup" && argc > 2) return CommandLineBackup(argv[2], rounds);
  if (what == "crt") return Crt(rounds);
  if (what == "responsive" && argc > 2) return Responsive(argv[2], rounds);
  if (what == "status") return Status(rounds);
  if (what == "status-parts") return StatusParts(rounds);
  std::fprintf(stderr, "usage: vexa_win32_bench startup|config|backup|restore|cli-backup|status|responsive <path> [rounds]\n");
  return 2;
}
