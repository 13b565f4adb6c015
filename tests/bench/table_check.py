"""The table of a recorded run: a RESULT line after a colour code counts,
and a figure nobody reported shows "—" with its reason."""
import subprocess
import sys

table, sample = sys.argv[1:]
out = subprocess.run([sys.executable, table, sample], capture_output=True, text=True, check=True).stdout
for row in (
    "| Directories of a 65 536-byte path of backslashes (native, CreateDirectoryTree) | 16.0 ms"
    " | 32 768 bytes 8.0 ms | 2.00x | linear (<= 2.5x), <= 100 ms | yes |",
    "| Backup of 1024 MiB data files (Wine, median of 3) | 905 ms | CopyFileW 1176 ms | 1.30x speed | >= 0.95x | yes |",
    "| Restore of the data files from a backup folder (Wine, median of 3) | — (benchmark did not report it)"
    " | CopyFileW 1200 ms | — | >= 0.95x | — |",
    "| Command-line backup `VexaPanel.exe /backup`, the whole process (median of 3)"
    " | — (VexaPanel.exe has no /backup) | the button's backup — | — | none set |  |",
):
    if row not in out.splitlines():
        sys.exit(f"missing row:\n{row}\nin:\n{out}")
