"""Installs, upgrades and removes the x64 package with Wine's msiexec in a
prefix of its own, and looks at the files and the registry it leaves.

The steps build on each other, in the order of their names."""
import os
import re
import subprocess
import tempfile
import time
import unittest

import appletFacts
import msiPackages
from winePrefix import WinePrefix

RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
UPGRADED_MARK = b"upgraded build"
# Under an emulator a start takes many times longer (scripts/test.sh).
START_DEADLINE_S = 30 * int(os.environ.get("VELMO_DEADLINE_SCALE", "1"))


def i686_mode():
    """How the i686 exe runs on this machine, as scripts/install-deps.sh
    decided: native, emulated or none."""
    verdict = appletFacts.SOURCE_DIR / "build" / "i686"
    return verdict.read_text().split()[0] if verdict.exists() else "none"


class PackageLifecycle(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory()
        cls.exe = msiPackages.shipped_exe()
        cls.version = appletFacts.product_version()
        major, minor, patch = cls.version.split(".")
        cls.newer_version = "%s.%s.%d" % (major, minor, int(patch) + 1)
        cls.current = msiPackages.build(cls.exe, os.path.join(cls.work.name, "current"))
        cls.newer_exe = msiPackages.marked_copy(cls.exe, cls.work.name, UPGRADED_MARK)
        cls.newer = msiPackages.build(cls.newer_exe, os.path.join(cls.work.name, "newer"),
                                      cls.newer_version)

        cls.machine_key = "HKLM\\" + appletFacts.key_path()
        cls.user_key = "HKCU\\" + appletFacts.key_path()
        folder = "C:\\Program Files (x86)\\%s\\%s" % (appletFacts.publisher(),
                                                     appletFacts.product_name())
        cls.start_command = '"%s\\velmo.exe"' % folder
        cls.wine = WinePrefix(os.environ.get("VELMO_DEPLOY_PREFIX",
                                             appletFacts.SOURCE_DIR / "build/deploy-wineprefix"))
        cls.wine.create()
        cls.installed_exe = cls.wine.host_path(folder + "\\velmo.exe")
        cls.publisher_folder = cls.installed_exe.parent.parent

    @classmethod
    def tearDownClass(cls):
        # Whatever a failed step left installed goes, so the prefix ends clean.
        for packages in (cls.newer, cls.current):
            cls.wine.msiexec("/x", packages["x64"])
        cls.wine.stop()
        cls.work.cleanup()

    def products(self):
        return self.wine.installed_products(appletFacts.product_name())

    def machine_values(self):
        return self.wine.values(self.machine_key)

    def shortcuts(self):
        """The Start menu's shortcuts to the applet. Windows puts a per-machine
        package's in all users' menu; Wine's msi in the installing user's (its
        FIXME in set_installer_properties), so both are looked at."""
        name = appletFacts.window_caption() + ".lnk"
        menus = ("ProgramData", "users/*/AppData/Roaming")
        return [found for menu in menus for found in self.wine.path.glob(
            "drive_c/%s/Microsoft/Windows/Start Menu/Programs/%s" % (menu, name))]

    def assert_program_installed(self, exe, version):
        self.assertEqual(self.installed_exe.read_bytes(), exe.read_bytes())
        notices = "THIRD-PARTY-NOTICES.txt"
        self.assertEqual(self.installed_exe.with_name(notices).read_bytes(),
                         exe.with_name(notices).read_bytes())
        self.assertEqual(self.wine.values(RUN_KEY).get("Velmo"), ("REG_SZ", self.start_command))
        self.assertEqual([found for _, found in self.products()], [version])
        shortcuts = self.shortcuts()
        self.assertEqual(len(shortcuts), 1, shortcuts)
        target = self.start_command.strip('"').encode("latin-1") + b"\0"
        self.assertIn(target, shortcuts[0].read_bytes())

    def assert_program_removed(self):
        self.assertFalse(self.publisher_folder.exists())
        self.assertNotIn("Velmo", self.wine.values(RUN_KEY) or {})
        self.assertEqual(self.products(), [])
        self.assertEqual(self.shortcuts(), [])

    def run_until_polled(self, program):
        """Starts the exe as a logon would, lets it poll once and ends it: its
        trace entries of that run."""
        log = self.wine.host_path(r"C:\windows\temp\velmo.log")
        start = log.stat().st_size if log.exists() else 0
        applet = subprocess.Popen([str(self.wine.loader), str(program)], env=self.wine.env,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        try:
            entries = []
            deadline = time.monotonic() + START_DEADLINE_S
            while "Retrieved KorvaStatus: unknown" not in entries and time.monotonic() < deadline:
                time.sleep(0.2)
                text = log.read_bytes()[start:].decode("latin-1") if log.exists() else ""
                entries = re.findall(r"\tENTRY: (.*?)\tLINE: ", text)
        finally:
            self.wine.wine("taskkill", "/im", "velmo.exe")
            try:
                applet.wait(15)
            except subprocess.TimeoutExpired:
                applet.kill()
        return entries

    @classmethod
    def signed(cls):
        """Packages signed with a throwaway certificate, made once."""
        if not hasattr(cls, "signed_packages"):
            directory = os.path.join(cls.work.name, "signed")
            os.makedirs(directory)
            signing, cls.ca = msiPackages.throwaway_signer(directory)
            cls.signed_packages = msiPackages.build(cls.exe, directory, signing=signing)
            cls.signed_exe = msiPackages.extracted_exe(cls.signed_packages["x64"],
                                                       os.path.join(directory, "x64"))
        return cls.signed_packages

    def test_1_x86_package_is_refused_on_64_bit_windows(self):
        self.assertNotEqual(self.wine.msiexec("/i", self.current["x86"]), 0)
        self.assertFalse(self.publisher_folder.exists())
        self.assertFalse(self.wine.host_path(r"C:\Program Files").joinpath(
            appletFacts.publisher()).exists())
        self.assertEqual(self.products(), [])
        self.assertIsNone(self.machine_values())

    def test_2_bare_install_creates_the_key_and_uninstall_keeps_it(self):
        self.assertEqual(self.wine.msiexec("/i", self.current["x64"]), 0)
        self.assert_program_installed(self.exe, self.version)
        self.assertEqual(self.machine_values(), {})
        # The native view only: nothing in the 32-bit one.
        self.assertIsNone(self.wine.values(self.machine_key, view="32"))

        self.assertEqual(self.wine.msiexec("/x", self.current["x64"]), 0)
        self.assert_program_removed()
        self.assertEqual(self.machine_values(), {})

    def test_3_install_writes_given_settings_and_keeps_the_others(self):
        # Set by the OEM beforehand; OemUrl is also given, so it is replaced.
        self.wine.set_value(self.machine_key, "OemUrl", "REG_SZ", "https://before.example/")
        self.wine.set_value(self.machine_key, "NumPollsForDisabled", "REG_DWORD", "3")
        self.wine.set_value(self.machine_key, "TRACE", "REG_DWORD", "1")

        self.assertEqual(self.wine.msiexec("/i", self.current["x64"], "OEMURL=https://oem.example/",
                                           "CHECKKORVASTATUSTIMEOUT=5000",
                                           "MINIMIZEPRIVACYICONATSTART=0"), 0)
        self.assert_program_installed(self.exe, self.version)
        self.assertEqual(self.machine_values(), {
            "OemUrl": ("REG_SZ", "https://oem.example/"),
            "CheckKorvaStatusTimeout": ("REG_DWORD", "0x1388"),
            "MinimizePrivacyIconAtStart": ("REG_DWORD", "0x0"),
            "NumPollsForDisabled": ("REG_DWORD", "0x3"),
            "TRACE": ("REG_DWORD", "0x1"),
        })
        self.assertIsNone(self.wine.values(self.machine_key, view="32"))

    @unittest.skipIf(i686_mode() == "none", "the i686 exe cannot run on this machine")
    def test_3_started_from_its_run_value_the_exe_reads_those_settings(self):
        """The installed i686 exe, started as a logon would start it, in this
        WoW64 prefix: the values in the native view are the ones it finds."""
        command = self.wine.values(RUN_KEY)["Velmo"][1]
        entries = self.run_until_polled(re.fullmatch(r'"([^"]+)"', command).group(1))
        self.assertIn("START VELMO", entries)
        self.assertIn("Retrieved KorvaStatus: unknown", entries)
        # Given at install (OemUrl, the poll period, the start option) or set
        # before it (NumPollsForDisabled, TRACE): found. Never given: missing.
        unreadable = [entry for entry in entries if entry.startswith("Unable to find")]
        self.assertEqual(unreadable, ["Unable to find Korva Status Init Max Retries registry entry"])

    def test_4_newer_version_upgrades_in_place(self):
        before = self.machine_values()
        self.assertEqual(self.wine.msiexec("/i", self.newer["x64"]), 0)
        self.assert_program_installed(self.newer_exe, self.newer_version)
        self.assertEqual(self.machine_values(), before)

    def test_5_older_version_is_refused(self):
        self.assertNotEqual(self.wine.msiexec("/i", self.current["x64"]), 0)
        self.assert_program_installed(self.newer_exe, self.newer_version)

    def test_6_uninstall_leaves_the_user_and_machine_settings(self):
        self.wine.set_value(self.user_key, "PopupForCurrentUser", "REG_DWORD", "0")
        machine = self.machine_values()
        self.assertEqual(self.wine.msiexec("/x", self.newer["x64"]), 0)
        self.assert_program_removed()
        self.assertEqual(self.wine.values(self.user_key),
                         {"PopupForCurrentUser": ("REG_DWORD", "0x0")})
        self.assertEqual(self.machine_values(), machine)

    def test_7_signed_packages_and_exe_verify_and_unsign_to_the_build(self):
        """No time-stamp server is reachable here: signed without one."""
        packages = self.signed()
        for signed in (packages["x86"], packages["x64"], self.signed_exe):
            with self.subTest(signed=signed.name):
                self.assertTrue(msiPackages.verifies(signed, self.ca))
        tampered = self.signed_exe.with_name("tampered.exe")
        image = bytearray(self.signed_exe.read_bytes())
        image[len(image) // 3] ^= 0xFF
        tampered.write_bytes(image)
        self.assertFalse(msiPackages.verifies(tampered, self.ca))
        unsigned = self.signed_exe.with_name("unsigned.exe")
        subprocess.run(["osslsigncode", "remove-signature", "-in", str(self.signed_exe),
                        "-out", str(unsigned)], check=True, capture_output=True)
        self.assertEqual(unsigned.read_bytes(), self.exe.read_bytes())

    @unittest.skipIf(i686_mode() == "none", "the i686 exe cannot run on this machine")
    def test_7_signed_exe_runs(self):
        self.signed()
        self.assertIn("Retrieved KorvaStatus: unknown", self.run_until_polled(self.signed_exe))


if __name__ == "__main__":
    unittest.main()
