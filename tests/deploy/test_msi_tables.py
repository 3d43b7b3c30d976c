"""The tables of both packages, read back with msitools, and the notices and
bill of materials of what they carry."""
import json
import re
import tempfile
import unittest

import appletFacts
import msiPackages

RUN_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
HKLM = "2"
PERMANENT = 16
WIN64 = 256


def registry_rows(msi, key):
    return [row for row in msiPackages.table(msi, "Registry") if row["Key"] == key]


class PackageTables(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory()
        cls.exe = msiPackages.shipped_exe()
        cls.packages = msiPackages.build(cls.exe, cls.work.name)

    @classmethod
    def tearDownClass(cls):
        cls.work.cleanup()

    def component_of(self, msi, row):
        """The component that owns a row; checks the registry view it writes."""
        arch = msi.name.rsplit("-", 1)[1][:-len(".msi")]
        components = {entry["Component"]: entry for entry in msiPackages.table(msi, "Component")}
        component = components[row["Component_"]]
        # The applet reads the native view: 64-bit on the x64 package.
        self.assertEqual(bool(int(component["Attributes"]) & WIN64), arch == "x64")
        return component

    def test_one_package_per_architecture(self):
        self.assertEqual(set(self.packages), {"x86", "x64"})

    def test_identity_comes_from_version_header(self):
        platforms = {"x86": "Intel", "x64": "x64"}
        for arch, msi in self.packages.items():
            with self.subTest(arch=arch):
                props = msiPackages.properties(msi)
                self.assertEqual(props["ProductName"], appletFacts.product_name())
                self.assertEqual(props["Manufacturer"], appletFacts.publisher())
                self.assertEqual(props["ProductVersion"], appletFacts.product_version())
                self.assertEqual(msi.name, "velmo-%s-%s.msi" % (appletFacts.product_version(), arch))
                self.assertEqual(props["ALLUSERS"], "1")
                self.assertEqual(msiPackages.summary(msi)["Template"], platforms[arch] + ";1033")

    def test_exe_and_its_notices_go_to_the_publisher_folder_under_program_files(self):
        notices = self.exe.parent / "THIRD-PARTY-NOTICES.txt"
        for arch, msi in self.packages.items():
            with self.subTest(arch=arch):
                files = {row["FileName"]: row for row in msiPackages.table(msi, "File")}
                self.assertEqual(set(files), {"velmo.exe", "THIRD-PARTY-NOTICES.txt"})
                self.assertEqual(int(files["velmo.exe"]["FileSize"]), self.exe.stat().st_size)
                self.assertEqual(int(files["THIRD-PARTY-NOTICES.txt"]["FileSize"]),
                                 notices.stat().st_size)
                self.assertEqual(files["velmo.exe"]["Component_"],
                                 files["THIRD-PARTY-NOTICES.txt"]["Component_"])
                directories = {row["Directory"]: row for row in msiPackages.table(msi, "Directory")}
                folder = self.component_of(msi, files["velmo.exe"])["Directory_"]
                path = []
                while directories[folder]["Directory_Parent"] != "TARGETDIR":
                    path.insert(0, directories[folder]["DefaultDir"])
                    folder = directories[folder]["Directory_Parent"]
                # A 32-bit exe: ProgramFilesFolder is "Program Files (x86)" on 64-bit Windows.
                self.assertEqual(folder, "ProgramFilesFolder")
                self.assertEqual(path, [appletFacts.publisher(), appletFacts.product_name()])

    def test_every_part_of_the_toolchain_linked_in_has_notices_and_a_bom_entry(self):
        build = self.exe.parent
        linker_map = (build / "velmo.map").read_text()
        included = linker_map.split("\nDiscarded input sections", 1)[0]
        archives = set(re.findall(r"^/\S+/(lib[^/(]+\.a)\(", included, re.M))
        self.assertIn("libstdc++.a", archives)
        notices = (build / "THIRD-PARTY-NOTICES.txt").read_text()
        components = json.loads((build / "velmo.cdx.json").read_text())["components"]
        in_bom = {entry["value"]: component for component in components
                  for entry in component["properties"] if entry["name"] == "velmo:linked"}
        for archive in sorted(archives):
            with self.subTest(archive=archive):
                self.assertRegex(notices, r"\n  \S+ \S+: .*\b%s\b" % re.escape(archive))
                self.assertTrue(in_bom[archive]["version"])
                self.assertTrue(in_bom[archive]["purl"].startswith("pkg:deb/debian/"))

    def test_machine_wide_run_value_starts_the_exe(self):
        for arch, msi in self.packages.items():
            with self.subTest(arch=arch):
                runs = registry_rows(msi, RUN_KEY)
                self.assertEqual([(row["Root"], row["Name"]) for row in runs], [(HKLM, "Velmo")])
                self.assertEqual(runs[0]["Value"], '"[INSTALLDIR]velmo.exe"')
                component = self.component_of(msi, runs[0])
                self.assertEqual(component["Condition"], "")
                self.assertFalse(int(component["Attributes"]) & PERMANENT)

    def test_each_machine_setting_is_written_only_from_its_property(self):
        for arch, msi in self.packages.items():
            with self.subTest(arch=arch):
                rows = registry_rows(msi, appletFacts.key_path())
                settings = {row["Name"]: row for row in rows if row["Name"] != "+"}
                self.assertEqual(set(settings), appletFacts.machine_value_names())
                secure = msiPackages.properties(msi)["SecureCustomProperties"].split(";")
                for name, row in settings.items():
                    self.assertEqual(row["Root"], HKLM)
                    # A DWORD is "#" and the number; OemUrl is the one string.
                    number, prop = re.fullmatch(r"(#?)\[([A-Z]+)\]", row["Value"]).groups()
                    self.assertEqual(number == "", name == "OemUrl", name)
                    self.assertEqual(prop, name.upper())
                    self.assertIn(prop, secure)
                    component = self.component_of(msi, row)
                    self.assertEqual(component["Condition"], '%s <> ""' % prop)
                    self.assertTrue(int(component["Attributes"]) & PERMANENT, name)

    def test_key_is_created_even_without_settings(self):
        for arch, msi in self.packages.items():
            with self.subTest(arch=arch):
                creates = [row for row in registry_rows(msi, appletFacts.key_path())
                           if row["Name"] == "+"]
                self.assertEqual([(row["Root"], row["Value"]) for row in creates], [(HKLM, "")])
                component = self.component_of(msi, creates[0])
                self.assertEqual(component["Condition"], "")
                self.assertTrue(int(component["Attributes"]) & PERMANENT)

    def test_older_versions_are_replaced_and_newer_ones_block(self):
        for arch, msi in self.packages.items():
            with self.subTest(arch=arch):
                props = msiPackages.properties(msi)
                version = props["ProductVersion"]
                self.assertEqual(props["UpgradeCode"], msiPackages.upgrade_code())
                found = {(row["UpgradeCode"], row["VersionMin"], row["VersionMax"],
                          row["ActionProperty"]) for row in msiPackages.table(msi, "Upgrade")}
                self.assertEqual(found, {
                    (msiPackages.upgrade_code(), "", version, "WIX_UPGRADE_DETECTED"),
                    (msiPackages.upgrade_code(), version, "", "WIX_DOWNGRADE_DETECTED")})
                # Detected in the client, they must reach the elevated install.
                secure = props["SecureCustomProperties"].split(";")
                self.assertLessEqual({"WIX_UPGRADE_DETECTED", "WIX_DOWNGRADE_DETECTED"}, set(secure))
                actions = [row["Action"] for row in msiPackages.table(msi, "InstallExecuteSequence")]
                self.assertIn("RemoveExistingProducts", actions)
                conditions = [row["Condition"] for row in msiPackages.table(msi, "LaunchCondition")]
                self.assertIn("NOT WIX_DOWNGRADE_DETECTED", conditions)

    def test_product_code_is_one_per_version_and_architecture(self):
        codes = {arch: msiPackages.properties(msi)["ProductCode"]
                 for arch, msi in self.packages.items()}
        self.assertNotEqual(codes["x86"], codes["x64"])
        with tempfile.TemporaryDirectory() as again, tempfile.TemporaryDirectory() as newer:
            rebuilt = msiPackages.build(self.exe, again)
            bumped = msiPackages.build(self.exe, newer, "99.0.0")
            for arch, code in codes.items():
                with self.subTest(arch=arch):
                    self.assertEqual(msiPackages.properties(rebuilt[arch])["ProductCode"], code)
                    self.assertNotEqual(msiPackages.properties(bumped[arch])["ProductCode"], code)

    def test_only_the_x86_package_refuses_64_bit_windows(self):
        for arch, msi in self.packages.items():
            with self.subTest(arch=arch):
                conditions = [row["Condition"] for row in msiPackages.table(msi, "LaunchCondition")]
                self.assertEqual("NOT VersionNT64" in conditions, arch == "x86")


if __name__ == "__main__":
    unittest.main()
