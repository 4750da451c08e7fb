"""The built programs as Windows reads them: version record, icon, PE headers and imports."""

import re
import shutil
import subprocess
import unittest

from harness import WIN32_BIN, E2ETestCase

# Each program's file name and the names its version record gives.
PROGRAMS = {
    "ORVANE_Quorbel_3.exe": {"ProductName": "ORVANE_Quorbel_3", "InternalName": "ORVANE_Quorbel_3"},
    "installazione.exe": {"ProductName": "Installazione ", "InternalName": "installazione"},
}

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
               "oleaut32.dll", "msvcrt.dll"}


class ProgramFilesTest(E2ETestCase):
    """Italian version record with the product's names, and the one shared 32 x 32 256-colour icon."""

    def test_version_record_and_icon(self):
        for name, names in PROGRAMS.items():
            with self.subTest(program=name):
                program = WIN32_BIN / name
                version = self.wine.inspector("version", program)[0]
                self.assertEqual(version["translation"], [{"language": 0x0410, "codepage": 1252}])
                self.assertEqual(version["block"].upper(), "041004E4")
                expected = {"CompanyName": "ORVANE", "FileVersion": "1.00", "ProductVersion": "1.00", **names}
                for key, value in expected.items():
                    self.assertEqual(version["strings"].get(key), value, key)

                icon = self.wine.inspector("icon", program)[0]
                self.assertEqual(len(icon["entries"]), 1, icon)
                entry = icon["entries"][0]
                self.assertEqual((entry["width"], entry["height"], entry["bit_count"], entry["id"]),
                                 (32, 32, 8, 30001))
                self.assertEqual(entry["image"], {"width": 32, "height": 32, "bit_count": 8})


class ProgramFormatTest(unittest.TestCase):
    """PE32 GUI programs for Windows XP and later that import system DLLs only."""

    def test_headers_and_imports(self):
        objdump = shutil.which("i686-w64-mingw32-objdump") or shutil.which("objdump")
        for name in PROGRAMS:
            with self.subTest(program=name):
                headers = subprocess.run([objdump, "-p", str(WIN32_BIN / name)], capture_output=True, text=True,
                                         check=True).stdout
                self.assertIn("file format pei-i386", headers)
                self.assertRegex(headers, r"Subsystem\s+00000002\s+\(Windows GUI\)")
                self.assertRegex(headers, r"MajorSubsystemVersion\s+5\n")
                self.assertRegex(headers, r"MinorSubsystemVersion\s+1\n")
                imported = {dll.lower() for dll in re.findall(r"DLL Name: (\S+)", headers)}
                self.assertTrue(imported, "no imports found")
                self.assertLessEqual(imported, SYSTEM_DLLS, f"imports beyond the system DLLs: {imported - SYSTEM_DLLS}")


if __name__ == "__main__":
    unittest.main()
