#!/usr/bin/env python3
"""Copies a UTF-8 text file as GBK with CR LF line ends (how Notepad on a
Chinese Windows expects Readme.txt)."""
import sys


def main(src, out):
    with open(src, encoding='utf-8') as f:
        text = f.read()
    text = text.replace('\r\n', '\n').replace('\n', '\r\n')
    with open(out, 'wb') as f:
        f.write(text.encode('gbk'))


if __name__ == '__main__':
    main(sys.argv[1], sys.argv[2])
