#!/usr/bin/env python3
"""The string table build step (scripts/strtable.py): what it accepts, how it encodes the texts
for windres and for the Linux registration, and that a bad source stops the build with the line
and leaves no output behind."""

import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(__file__), '..', '..', 'scripts', 'strtable.py')


def run(mode, source_bytes):
    """Runs the script on the source; returns (exit code, standard error, output or None)."""
    with tempfile.TemporaryDirectory() as d:
        source = os.path.join(d, 'table.str')
        output = os.path.join(d, 'out')
        with open(source, 'wb') as f:
            f.write(source_bytes)
        done = subprocess.run([sys.executable, SCRIPT, mode, source, output],
                              capture_output=True, text=True)
        text = None
        if os.path.exists(output):
            with open(output, encoding='ascii') as f:
                text = f.read()
        return done.returncode, done.stderr, text


class Encoding(unittest.TestCase):
    SOURCE = ('\ufeff# header\r\n'
              '  121 = "@provider.de"   # trailing comment\r\n'
              '\r\n'
              '200="Grüße – 5 € \\"A\\" \\\\ \\n\\t\\xe4"\n').encode('utf-8')

    def test_resource_script_is_ascii_with_octal_windows_1252_bytes(self):
        code, err, text = run('rc', self.SOURCE)
        self.assertEqual(code, 0, err)
        self.assertIn('#pragma code_page(1252)', text)
        self.assertIn('  121, "@provider.de"', text)
        self.assertIn('  200, "Gr\\374\\337e \\226 5 \\200 ""A"" \\\\ \\012\\011\\344"', text)

    def test_cpp_source_registers_the_same_bytes(self):
        code, err, text = run('cpp', self.SOURCE)
        self.assertEqual(code, 0, err)
        self.assertIn('    121,\n    200,\n', text)
        self.assertIn('"Gr\\374\\337e \\226 5 \\200 \\"A\\" \\\\ \\012\\011\\344"', text)
        self.assertIn('LumoraRegisterStringTable(ids, 2, ids, texts)', text)


class Errors(unittest.TestCase):
    CASES = [
        (b'1 = "a"\n# gap\n1 = "b"\n', ':3: the id 1 was already given on line 1'),
        (b'1 = "open\n', ':1: the string has no closing quote'),
        (b'\n\n1 = "\\q"\n', ':3: unknown escape \\q'),
        ('1 = "\u0101"\n'.encode('utf-8'), ':1: the character U+0101 has no Windows-1252 form'),
        (b'70000 = "a"\n', ':1: the id 70000 is above 65535'),
        (b'1 = "\\x00"\n', ':1: a string cannot hold a NUL byte'),
        (b'1 = "a" b\n', ':1: unexpected text after the string'),
        (b'one = "a"\n', ':1: expected a line of the form'),
        (b'1 = "ok"\n2 = "\xe4"\n', ':2: the file is not UTF-8'),
    ]

    def test_bad_sources_name_the_line_and_write_nothing(self):
        # Both modes read the source with the same code; they alternate to cover both.
        for i, (source, message) in enumerate(self.CASES):
            mode = ('rc', 'cpp')[i % 2]
            with self.subTest(source=source, mode=mode):
                code, err, text = run(mode, source)
                self.assertEqual(code, 1)
                self.assertIn('table.str' + message, err)
                self.assertIsNone(text)


if __name__ == '__main__':
    unittest.main()
