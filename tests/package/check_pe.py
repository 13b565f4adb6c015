#!/usr/bin/env python3
"""Checks a Windows image of ours: exactly one RT_MANIFEST (id 1) when a
manifest is expected, a version resource whose 080404b0 block and fixed
numbers carry the project's version, and imports from system DLLs only
(the import list as `objdump -p` prints it).

    check_pe.py OBJDUMP IMAGE VERSION [--manifest] [--allow NAME.dll ...]
"""
import re
import struct
import subprocess
import sys

RT_VERSION = 16
RT_MANIFEST = 24

# What Windows itself provides, and only its known DLLs (always System32's)
# and comctl32 (side by side, through the manifest): the loader looks for any
# other DLL beside the program first. Those (winmm, iphlpapi, winhttp, ...)
# are loaded at run time from System32 (base/system_library_win32.h).
SYSTEM_DLLS = {
    'kernel32.dll', 'user32.dll', 'gdi32.dll', 'advapi32.dll', 'shell32.dll',
    'ole32.dll', 'oleaut32.dll', 'comctl32.dll', 'comdlg32.dll',
    'ws2_32.dll', 'msvcrt.dll', 'shlwapi.dll',
}

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def sections(image):
    pe = struct.unpack_from('<I', image, 0x3C)[0]
    if image[pe:pe + 4] != b'PE\0\0':
        sys.exit('not a PE image')
    count, optional_size = struct.unpack_from('<H12xH', image, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from('<H', image, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    rsrc_rva, rsrc_size = struct.unpack_from('<II', image, directories + 2 * 8)
    table = optional + optional_size
    result = []
    for i in range(count):
        _, vsize, rva, raw_size, raw = struct.unpack_from('<8sIIII', image, table + 40 * i)
        result.append((rva, max(vsize, raw_size), raw))
    return rsrc_rva, result


def file_offset(secs, rva):
    for start, size, raw in secs:
        if start <= rva < start + size:
            return raw + rva - start
    sys.exit('address 0x%x lies in no section' % rva)


def resources(image):
    """{(type, name, language): bytes} for the numeric entries of .rsrc."""
    rsrc_rva, secs = sections(image)
    if not rsrc_rva:
        return {}
    base = file_offset(secs, rsrc_rva)

    def entries(offset):
        named, ids = struct.unpack_from('<12xHH', image, base + offset)
        for i in range(named + ids):
            name, target = struct.unpack_from('<II', image, base + offset + 16 + 8 * i)
            yield (None if name & 0x80000000 else name), target

    found = {}
    for rtype, t in entries(0):
        for rname, n in entries(t & 0x7FFFFFFF):
            for lang, leaf in entries(n & 0x7FFFFFFF):
                data_rva, size = struct.unpack_from('<II', image, base + leaf)
                start = file_offset(secs, data_rva)
                found[(rtype, rname, lang)] = image[start:start + size]
    return found


def version_nodes(block, offset=0):
    """One VS_VERSIONINFO node: (key, value bytes, children, length)."""
    def align(n):
        return (n + 3) & ~3

    length, value_length, kind = struct.unpack_from('<HHH', block, offset)
    end = offset + 6
    while block[end:end + 2] != b'\0\0':
        end += 2
    key = block[offset + 6:end].decode('utf-16-le')
    at = align(end + 2)
    size = value_length * (2 if kind == 1 else 1)
    value = block[at:at + size]
    at = align(at + size)
    children = []
    while at < offset + length:
        child = version_nodes(block, at)
        if child[3] == 0:
            break
        children.append(child)
        at = align(at + child[3])
    return key, value, children, length


def version_strings(block):
    """{table name: {key: text}} of the StringFileInfo part."""
    tables = {}
    for key, _, children, _ in version_nodes(block)[2]:
        if key != 'StringFileInfo':
            continue
        for table, _, strings, _ in children:
            tables[table] = {k: v.decode('utf-16-le').rstrip('\0') for k, v, _, _ in strings}
    return tables


def version_fixed(block):
    at = block.find(struct.pack('<I', 0xFEEF04BD))
    if at < 0:
        return None
    ms, ls = struct.unpack_from('<II', block, at + 8)
    return '%d.%d.%d.%d' % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def imports(objdump, path):
    out = subprocess.run([objdump, '-p', path], check=True, capture_output=True, text=True).stdout
    return [m.group(1) for m in re.finditer(r'DLL Name: (\S+)', out)]


def main():
    args = sys.argv[1:]
    objdump, path, version = args[:3]
    want_manifest = '--manifest' in args
    allowed = set(SYSTEM_DLLS)
    if '--allow' in args:
        allowed |= {a.lower() for a in args[args.index('--allow') + 1:]}

    image = open(path, 'rb').read()
    found = resources(image)

    manifests = [k for k in found if k[0] == RT_MANIFEST]
    if want_manifest:
        check([k[1] for k in manifests] == [1], 'one RT_MANIFEST with id 1, found %s' % manifests)
        if manifests:
            text = found[manifests[0]].decode('utf-8')
            check('level="highestAvailable"' in text, 'manifest asks for highestAvailable')
            check('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' in
                  re.sub(r'\s+', ' ', text), 'manifest depends on Common Controls 6')
            check('<dpiAware' in text and '>true</dpiAware>' in text, 'manifest is DPI aware')
            check('version="%s.0"' % version in text, 'manifest carries version %s.0' % version)
    else:
        check(not manifests, 'no manifest expected, found %s' % manifests)

    versions = [k for k in found if k[0] == RT_VERSION]
    check(len(versions) == 1 and versions[0][1] == 1, 'one version resource, found %s' % versions)
    if versions:
        block = found[versions[0]]
        check(version_fixed(block) == version + '.0',
              'fixed file version %s, want %s.0' % (version_fixed(block), version))
        strings = version_strings(block)
        check(list(strings) == ['080404b0'], 'string tables %s, want 080404b0' % list(strings))
        table = strings.get('080404b0', {})
        for key in ('CompanyName', 'FileDescription', 'FileVersion', 'ProductName',
                    'ProductVersion', 'LegalCopyright'):
            check(table.get(key), 'version text %s present' % key)
        check(table.get('FileVersion') == version, 'FileVersion %r' % table.get('FileVersion'))
        check(table.get('ProductVersion') == version,
              'ProductVersion %r' % table.get('ProductVersion'))
        name = path.replace('\\', '/').rsplit('/', 1)[-1]
        check(table.get('OriginalFilename') == name,
              'OriginalFilename %r, want %r' % (table.get('OriginalFilename'), name))

    dlls = imports(objdump, path)
    check(dlls, 'objdump lists imports')
    for dll in dlls:
        check(dll.lower() in allowed, 'import from %s, not a known system DLL' % dll)

    for failure in failures:
        print('FAILED:', failure)
    print('%s: imports %s' % (path, ', '.join(dlls)))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
