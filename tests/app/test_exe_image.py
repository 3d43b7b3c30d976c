"""The velmo.exe of a build as the linker made it, read with objdump -p:
hardened (ASLR, DEP, terminal-server aware, stack canaries seeded without the
crypto providers), a GUI program within 256 KiB, importing only system DLLs,
and per-monitor aware only where Windows rescales the dialog.

    test_exe_image.py OBJDUMP EXE"""
import re
import subprocess
import sys
import unittest

# Not OLE32, OLEACC or OLEAUT32: COM and the accessibility library are loaded at
# the first link launch or screen reader's request, not at every start.
SYSTEM_DLLS = {"ADVAPI32.DLL", "COMCTL32.DLL", "GDI32.DLL", "KERNEL32.DLL", "MSVCRT.DLL",
               "SHELL32.DLL", "USER32.DLL"}


class ExeImage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.headers = subprocess.run([OBJDUMP, "-p", EXE], check=True, capture_output=True,
                                     text=True).stdout
        with open(EXE, "rb") as stream:
            cls.image = stream.read()

    def header(self, name):
        return re.search(r"^%s\s+(\S+)" % name, self.headers, re.M).group(1)

    def test_is_hardened(self):
        characteristics = int(self.header("DllCharacteristics"), 16)
        wanted = {"DYNAMIC_BASE": 0x40, "NX_COMPAT": 0x100, "TERMINAL_SERVICE_AWARE": 0x8000}
        if self.header("Magic") == "020b":  # PE32+
            wanted["HIGH_ENTROPY_VA"] = 0x20
        for flag, bit in wanted.items():
            self.assertTrue(characteristics & bit, flag)
            self.assertIn("\t" + flag, self.headers)
        # Without relocations the loader could not move the image anyway.
        relocations = re.search(r"^Entry 5 \S+ (\S+) Base Relocation Directory", self.headers, re.M)
        self.assertTrue(relocations and int(relocations.group(1), 16) > 0, "no relocations")
        # The canaries' guard comes from RtlGenRandom; libssp's seeding would
        # load the crypto providers at every start.
        imports = re.findall(r"^\s+[0-9a-f]+\s+\d+\s+(\w+)$", self.headers, re.M)
        self.assertIn("SystemFunction036", imports)
        self.assertFalse([name for name in imports if name.startswith("Crypt")])
        self.assertNotIn(b"stack smashing detected", self.image)

    def test_is_a_gui_program_of_system_dlls_only(self):
        self.assertEqual(self.header("Subsystem"), "00000002")
        self.assertLessEqual(len(self.image), 256 * 1024)
        imports = {name.upper() for name in re.findall(r"DLL Name: (\S+)", self.headers)}
        self.assertTrue(imports)
        self.assertLessEqual(imports, SYSTEM_DLLS)

    def test_falls_back_to_system_aware_not_to_per_monitor_v1(self):
        def setting(name):
            found = re.search(rb"<%s [^>]*>([^<]*)</%s>" % (name, name), self.image)
            return found.group(1).decode() if found else None
        self.assertEqual(setting(b"dpiAware"), "true")
        self.assertEqual([value.strip() for value in setting(b"dpiAwareness").split(",")],
                         ["PerMonitorV2", "System"])


if __name__ == "__main__":
    OBJDUMP, EXE = sys.argv[1:3]
    unittest.main(argv=sys.argv[:1])
