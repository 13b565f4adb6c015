#!/usr/bin/env python3
"""The table of scripts/benchmark.sh, from the lines its steps printed.

    python3 scripts/benchmark_table.py build/benchmark/results.txt

Reads "RESULT <name> <value>", "NOTE <name or step> <why a figure is
missing>" and "INFO <name> <text>" anywhere in a line, after removing
terminal colour codes; everything else is ignored. A figure that no step
reported shows as "—" with the reason.
"""
import re
import sys

ANSI = re.compile(r"\x1b\[[0-9;?]*[A-Za-z]")
LINE = re.compile(r"\b(RESULT|NOTE|INFO)\s+(\S+)\s*(.*)$")
UNREPORTED = "benchmark did not report it"


def read(lines):
    values, notes, info = {}, {}, {}
    for raw in lines:
        match = LINE.search(ANSI.sub("", raw).strip())
        if not match:
            continue
        kind, name, rest = match.groups()
        if kind == "RESULT":
            try:
                value = float(rest.split()[0])
            except (ValueError, IndexError):
                value = float("nan")
            if value == value:
                values[name] = value
            else:
                notes[name] = f"unreadable value \"{rest}\""
        elif kind == "NOTE":
            notes[name] = rest
        else:
            info[name] = rest
    return values, notes, info


class Fig:
    """A figure of the results, or a ratio of two, formatted for a cell."""

    def __init__(self, name, fmt, prefix="", over=None):
        self.name, self.fmt, self.prefix, self.over = name, fmt, prefix, over

    def value(self, values):
        if self.name not in values:
            return None
        if self.over is None:
            return values[self.name]
        if self.over not in values or values[self.over] == 0:
            return None
        return values[self.name] / values[self.over]

    def missing(self, values, notes, step):
        for name in (self.name, self.over):
            if name is not None and name not in values:
                return notes.get(name) or notes.get(step) or UNREPORTED
        return "the yardstick is 0"


def ratio(name, over, fmt="{:.2f}x"):
    return Fig(name, fmt, over=over)


class Table:
    def __init__(self, values, notes):
        self.values, self.notes, self.rows = values, notes, []

    def v(self, name):
        return self.values.get(name)

    def row(self, step, measure, value, yardstick="", rate="", target="", check=None, on=None):
        """check: a predicate on the figure on (by default the ratio, or
        else the result); "Met" stays empty without one."""
        shown, cells = set(), [measure]
        for cell in (value, yardstick, rate):
            if not isinstance(cell, Fig):
                cells.append(cell)
                continue
            number = cell.value(self.values)
            if number is not None:
                cells.append(cell.prefix + cell.fmt.format(number))
                continue
            why = cell.missing(self.values, self.notes, step)
            cells.append(cell.prefix + ("—" if why in shown else f"— ({why})"))
            shown.add(why)
        met = ""
        if check:
            judged = on or (rate if isinstance(rate, Fig) else value)
            number = judged.value(self.values)
            met = "—" if number is None else ("yes" if check(number) else "no")
        self.rows.append(cells + [target, met])

    def lines(self):
        head = ("Measure", "Result", "Yardstick, same run", "Ratio", "Target", "Met")
        yield "| " + " | ".join(head) + " |"
        yield "|" + "|".join("---" for _ in head) + "|"
        for cells in self.rows:
            yield "| " + " | ".join(cells) + " |"


def build(values, notes, info):
    t = Table(values, notes)
    rounds = info.get("rounds", "?")
    backup_rounds = info.get("backup_rounds", "?")
    ms, ms2, mb = "{:.0f} ms", "{:.2f} ms", "{:.1f} MB"

    t.row("startup", f"Start-up to visible main window (Wine, median of {rounds})",
          Fig("startup_panel_ms", ms), Fig("startup_empty_ms", ms, "empty dialog "),
          Fig("startup_ratio", "{:.2f}x"), "<= 1.3x", lambda x: x <= 1.3)
    t.row("startup", "  same, yardstick loading the panel's DLLs, manifest, COM, font",
          Fig("startup_panel_ms", ms), Fig("startup_loaded_ms", ms, "loaded empty dialog "),
          Fig("startup_loaded_ratio", "{:.2f}x"), "(explains)")
    windows = f"{t.v('panel_windows'):.0f}" if "panel_windows" in values else "as many"
    t.row("startup", f"  same, yardstick also making as many windows as the panel ({windows})",
          Fig("startup_panel_ms", ms), Fig("startup_many_ms", ms, f"loaded dialog of {windows} windows "),
          Fig("startup_many_ratio", "{:.2f}x"), "(explains)")
    t.row("startup", "  main window created (before WM_INITDIALOG builds the service page)",
          Fig("startup_panel_created_ms", ms), Fig("startup_empty_created_ms", ms, "empty dialog "),
          ratio("startup_panel_created_ms", "startup_empty_created_ms"), "(explains)")

    t.row("native", "vexa.cfg load+save, 100 000 lines (native, Google Benchmark)",
          Fig("native_load_save_100k_ms", ms2), Fig("native_raw_100k_ms", ms2, "raw read+write "),
          ratio("native_load_save_100k_ms", "native_raw_100k_ms"), "<= 2x", lambda x: x <= 2)
    t.row("native", "vexa.cfg load+save, 100 000 against 10 000 lines (native)",
          Fig("native_load_save_100k_ms", ms2), Fig("native_load_save_10k_ms", ms2, "10 000 lines "),
          ratio("native_load_save_100k_ms", "native_load_save_10k_ms"), "linear (<= 10x)",
          lambda x: x <= 11)
    big, small = "native_directory_tree_65536_ms", "native_directory_tree_32768_ms"
    t.row("native", "Directories of a 65 536-byte path of backslashes (native, CreateDirectoryTree)",
          Fig(big, "{:.1f} ms"), Fig(small, "{:.1f} ms", "32 768 bytes "), ratio(big, small),
          "linear (<= 2.5x), <= 100 ms", lambda x: x <= 2.5 and t.v(big) <= 100)

    t.row("config", f"vexa.cfg load+save, 100 000 lines, CWinConfigFile (Wine, median of {rounds})",
          Fig("config_win32_100k_ms", ms2), Fig("config_raw_100k_ms", ms2, "raw ReadFile+WriteFile "),
          Fig("config_win32_ratio", "{:.2f}x"), "<= 2x", lambda x: x <= 2)
    t.row("config", "  same against raw read+write+FlushFileBuffers",
          Fig("config_win32_100k_ms", ms2), Fig("config_raw_flushed_100k_ms", ms2, "raw flushed "),
          Fig("config_win32_flushed_ratio", "{:.2f}x"), "(explains)")
    t.row("config", "  text steps alone (parse+serialize): Wine against native",
          Fig("config_text_steps_100k_ms", ms2), Fig("native_text_steps_100k_ms", ms2, "native "),
          ratio("config_text_steps_100k_ms", "native_text_steps_100k_ms", "{:.1f}x"), "(explains)")
    t.row("crt", "  memchr per line (C runtime): Wine msvcrt against glibc",
          Fig("crt_memchr_lines_100k_ms", ms2), Fig("native_crt_memchr_lines_100k_ms", ms2, "glibc "),
          ratio("crt_memchr_lines_100k_ms", "native_crt_memchr_lines_100k_ms", "{:.1f}x"), "(explains)")
    t.row("config", "vexa.cfg load+save, 100 000 against 10 000 lines (Wine)",
          Fig("config_win32_100k_ms", ms2), Fig("config_win32_10k_ms", ms2, "10 000 lines "),
          Fig("config_win32_scaling", "{:.2f}x"), "linear (<= 10x)", lambda x: x <= 11)

    mib = f"{t.v('backup_bytes') / 1048576:.0f} MiB" if "backup_bytes" in values else "the"
    t.row("backup", f"Backup of {mib} data files (Wine, median of {backup_rounds})",
          Fig("backup_ms", ms), Fig("copyfile_ms", ms, "CopyFileW "),
          Fig("backup_speed_ratio", "{:.2f}x speed"), ">= 0.95x", lambda x: x >= 0.95)
    t.row("backup", "  same against CopyFileW and FlushFileBuffers of each copy",
          Fig("backup_ms", ms), Fig("copyfile_flushed_ms", ms, "CopyFileW, flushed "),
          ratio("copyfile_flushed_ms", "backup_ms", "{:.2f}x speed"), "(explains)")
    mib = f"{t.v('restore_bytes') / 1048576:.0f} MiB" if "restore_bytes" in values else "the"
    t.row("restore", f"Restore of {mib} data files from a backup folder (Wine, median of {backup_rounds})",
          Fig("restore_ms", ms), Fig("copyfile_restore_ms", ms, "CopyFileW "),
          Fig("restore_speed_ratio", "{:.2f}x speed"), ">= 0.95x", lambda x: x >= 0.95)
    t.row("restore", "  same against CopyFileW and FlushFileBuffers of each copy",
          Fig("restore_ms", ms), Fig("copyfile_flushed_restore_ms", ms, "CopyFileW, flushed "),
          ratio("copyfile_flushed_restore_ms", "restore_ms", "{:.2f}x speed"), "(explains)")
    t.row("cli_backup", f"Command-line backup `VexaPanel.exe /backup`, the whole process (median of {backup_rounds})",
          Fig("cli_backup_ms", ms), Fig("cli_backup_button_ms", ms, "the button's backup "),
          ratio("cli_backup_ms", "cli_backup_button_ms"), "none set")

    t.row("status", f"Status line refresh, CPU of the panel's process (Wine, median of {rounds}x60)",
          Fig("status_refresh_cpu_ms", ms2),
          Fig("status_refresh_wall_ms", ms2, "elapsed "), "", "<= 2 ms", lambda x: x <= 2)
    timer = Fig("status_refresh_cpu_ms", ms2, "timer refresh ")
    t.row("status", "  same, with the tracker's service installed (stopped)",
          Fig("status_refresh_service_cpu_ms", ms2), timer,
          ratio("status_refresh_service_cpu_ms", "status_refresh_cpu_ms"), "<= 2 ms",
          lambda x: x <= 2, on=Fig("status_refresh_service_cpu_ms", ms2))
    t.row("status", "  same, service paths read afresh (after the install, remove, restart and one-click buttons)",
          Fig("status_refresh_afresh_cpu_ms", ms2), timer,
          ratio("status_refresh_afresh_cpu_ms", "status_refresh_cpu_ms"), "(explains)")
    t.row("status", "  same, right after the panel's own install (the service new)",
          Fig("status_refresh_installed_cpu_ms", ms2), timer,
          ratio("status_refresh_installed_cpu_ms", "status_refresh_cpu_ms"), "none set")
    t.row("idle", "Idle panel on its service page (status line once a second), CPU per second, from Linux",
          Fig("idle_panel_cpu_ms_per_s", "{:.1f} ms/s"), Fig("idle_empty_cpu_ms_per_s", "{:.1f} ms/s", "empty dialog "),
          ratio("idle_panel_cpu_ms_per_s", "idle_empty_cpu_ms_per_s", "{:.1f}x"), "about 0 (<= 5 ms/s)",
          lambda x: x <= 5, on=Fig("idle_panel_cpu_ms_per_s", ms))
    t.row("idle", "  same, every process of the Wine prefix (wineserver, services.exe, ...)",
          Fig("idle_panel_prefix_cpu_ms_per_s", "{:.1f} ms/s"),
          Fig("idle_empty_prefix_cpu_ms_per_s", "{:.1f} ms/s", "empty dialog "),
          ratio("idle_panel_prefix_cpu_ms_per_s", "idle_empty_prefix_cpu_ms_per_s", "{:.1f}x"), "(explains)")

    data = info.get("data_mib", "?")
    for job, what in (("first_tabs", "the first switch to each settings page, which builds it"),
                      ("switch", "a switch whose stand-in takes 3 s"), ("backup", f"a backup of {data} MiB"),
                      ("install", f"the one-click installation with {data} MiB")):
        key = f"freeze_{job}_ms"
        t.row("responsive", f"Longest unanswered WM_NULL ping during {what} (worst of rounds)", Fig(key, ms), Fig("freeze_idle_ms", ms, "idle panel "),
              ratio(key, "freeze_idle_ms"), "<= 100 ms", lambda x: x <= 100, on=Fig(key, ms))
        if f"baseline_{key}" in values:
            t.row("responsive", "    the same, the build in BASELINE_DIST", Fig(f"baseline_{key}", ms),
                  Fig("baseline_freeze_idle_ms", ms, "its idle panel "),
                  ratio(f"baseline_{key}", "baseline_freeze_idle_ms"), "(explains)")
    seen = t.v("backup_progress_seen")
    t.row("responsive", "  progress shown in the status line during that backup",
          Fig("backup_progress_seen", "") if seen is None else ("yes" if seen else "no"), "", "", "shown",
          lambda x: x == 1, on=Fig("backup_progress_seen", ""))

    sizes = ("exe_bytes", "dll_bytes")
    t.row("size", "VexaPanel.exe + VexaAdmin.dll", Fig("dist_mb", "{:.2f} MB"),
          "—" if any(k not in values for k in sizes)
          else f"exe {t.v('exe_bytes') / 1e3:.0f} kB + dll {t.v('dll_bytes') / 1e3:.0f} kB",
          "", "<= 1.5 MB", lambda x: x <= 1.5, on=Fig("dist_mb", ""))
    imports = info.get("imports", "— (" + (notes.get("size") or UNREPORTED) + ")")
    foreign = info.get("foreign")
    t.rows.append(["Imports", imports, "", "", "system DLLs only",
                   "—" if "imports" not in info else ("no: " + foreign if foreign else "yes")])
    t.row("startup", "Peak working set after every tab (Wine's PeakWorkingSetSize)",
          Fig("peak_ws_panel_mb", mb), Fig("peak_ws_empty_mb", mb, "empty dialog "),
          ratio("peak_ws_panel_mb", "peak_ws_empty_mb"), "<= 15 MB", lambda x: x <= 15,
          on=Fig("peak_ws_panel_mb", mb))
    t.row("startup", "  same, yardstick loading the panel's DLLs", Fig("peak_ws_panel_mb", mb),
          Fig("peak_ws_loaded_mb", mb, "loaded empty dialog "), ratio("peak_ws_panel_mb", "peak_ws_loaded_mb"),
          "(explains)")
    t.row("startup", "  the panel's memory once its window shows", Fig("ws_panel_shown_mb", mb), "", "",
          "(explains)")
    t.row("memory", "  private dirty memory of the panel's process (smaps)", Fig("panel_private_dirty_mb", mb),
          Fig("vexa_empty_dialog_loaded_private_dirty_mb", mb, "loaded empty dialog "),
          ratio("panel_private_dirty_mb", "vexa_empty_dialog_loaded_private_dirty_mb"), "(explains)")
    return t


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8", errors="replace") as results:
        values, notes, info = read(results)
    if "exe_bytes" in values and "dll_bytes" in values:
        values["dist_mb"] = (values["exe_bytes"] + values["dll_bytes"]) / 1e6
    for name, label in (("date", "Run of"), ("machine", "Machine"), ("settings", "Settings"),
                        ("load_before", "Load average before (1, 5, 15 min)"),
                        ("load_after", "Load average after")):
        if name in info:
            print(f"- {label}: {info[name]}")
    print()
    for line in build(values, notes, info).lines():
        print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
