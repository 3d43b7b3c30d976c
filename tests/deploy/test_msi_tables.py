"""What installing with Wine's msiexec cannot show (test_msi_wine.py installs
the x64 package and looks at what it leaves): that the x86 package is the
x64 one but for its platform, the settings' permanence and elevation, the
product code's rule, and the notices and bill of materials of what the exe
carries."""
import json
import re
import tempfile
import unittest

import appletFacts
import msiPackages

PERMANENT = 16
WIN64 = 256


def tables(msi):
    """Every table of a package as rows of columns; the summary stream stands
    in for the pseudo-tables, less the package code and what names the
    platform."""
    found = {name: msiPackages.table(msi, name) for name in msiPackages.table_names(msi)
             if not name.startswith("_")}
    summary = msiPackages.summary(msi)
    for platform_field in ("Subject", "Template", "Revision number (UUID)"):
        summary.pop(platform_field)
    found["summary"] = [summary]
    return found


def toolchain_parts(linker_map):
    """The toolchain's archives and start-up objects that gave the exe input
    sections, read from the map's memory layout (the notices script reads the
    archive list at the top instead, so the two readings check each other)."""
    layout = linker_map.split("\nLinker script and memory map\n", 1)[1]
    archives = re.findall(r"\s/\S+/(lib[^/\s(]+\.a)\(", layout)
    objects = re.findall(r"\s/\S+/([^/\s]+\.o)$", layout, re.M)
    return set(archives) | set(objects)


class PackageTables(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory()
        cls.exe = msiPackages.shipped_exe()
        cls.packages = msiPackages.build(cls.exe, cls.work.name)

    @classmethod
    def tearDownClass(cls):
        cls.work.cleanup()

    def test_x86_package_is_the_x64_one_but_for_its_platform(self):
        x86, x64 = (tables(self.packages[arch]) for arch in ("x86", "x64"))
        self.assertEqual(set(x86), set(x64))
        for name in sorted(x64):
            with self.subTest(table=name):
                one, other = x86[name], x64[name]
                if name == "Property":
                    one, other = ([row for row in rows if row["Property"] != "ProductCode"]
                                  for rows in (one, other))
                elif name == "LaunchCondition":
                    refusal = [row for row in one if row["Condition"] == "NOT VersionNT64"]
                    self.assertEqual(len(refusal), 1, "the x86 package must refuse 64-bit Windows")
                    one = [row for row in one if row not in refusal]
                elif name == "Component":
                    # The x64 package writes the native registry view.
                    self.assertTrue(all(int(row["Attributes"]) & WIN64 == 0 for row in one))
                    self.assertTrue(all(int(row["Attributes"]) & WIN64 for row in other))
                    other = [dict(row, Attributes=str(int(row["Attributes"]) & ~WIN64))
                             for row in other]
                self.assertEqual(one, other)
        for arch, platform in (("x86", "Intel"), ("x64", "x64")):
            summary = msiPackages.summary(self.packages[arch])
            self.assertEqual(summary["Template"], platform + ";1033")
            self.assertTrue(summary["Subject"].endswith("(%s)" % arch))
        codes = {arch: msiPackages.properties(msi)["ProductCode"]
                 for arch, msi in self.packages.items()}
        self.assertNotEqual(codes["x86"], codes["x64"])

    def test_identity_comes_from_version_header(self):
        msi = self.packages["x64"]
        props = msiPackages.properties(msi)
        self.assertEqual(props["ProductName"], appletFacts.product_name())
        self.assertEqual(props["Manufacturer"], appletFacts.publisher())
        self.assertEqual(props["ProductVersion"], appletFacts.product_version())
        self.assertEqual(props["ALLUSERS"], "1")
        self.assertEqual(msi.name, "velmo-%s-x64.msi" % appletFacts.product_version())

    def test_machine_settings_outlive_the_package_and_reach_the_elevated_install(self):
        """Wine's uninstall keeps the machine key and values whether or not
        their components are permanent, and it never elevates: only the tables
        show either."""
        msi = self.packages["x64"]
        components = {row["Component"]: row for row in msiPackages.table(msi, "Component")}
        rows = [row for row in msiPackages.table(msi, "Registry")
                if row["Key"] == appletFacts.key_path()]
        self.assertEqual({row["Name"] for row in rows},
                         appletFacts.machine_value_names() | {"+"})
        for row in rows:
            with self.subTest(value=row["Name"]):
                self.assertTrue(int(components[row["Component_"]]["Attributes"]) & PERMANENT)
        secure = set(msiPackages.properties(msi)["SecureCustomProperties"].split(";"))
        given = {name.upper() for name in appletFacts.machine_value_names()}
        # Detected in the client, the upgrade's properties must reach it too.
        self.assertLessEqual(given | {"WIX_UPGRADE_DETECTED", "WIX_DOWNGRADE_DETECTED"}, secure)

    def test_product_code_is_one_per_version(self):
        code = msiPackages.properties(self.packages["x64"])["ProductCode"]
        with tempfile.TemporaryDirectory() as again, tempfile.TemporaryDirectory() as newer:
            rebuilt = msiPackages.build(self.exe, again)["x64"]
            bumped = msiPackages.build(self.exe, newer, "99.0.0")["x64"]
            self.assertEqual(msiPackages.properties(rebuilt)["ProductCode"], code)
            self.assertNotEqual(msiPackages.properties(bumped)["ProductCode"], code)

    def test_every_part_of_the_toolchain_linked_in_has_notices_and_a_bom_entry(self):
        build = self.exe.parent
        parts = toolchain_parts((build / "velmo.map").read_text())
        self.assertLessEqual({"libstdc++.a", "crtbegin.o"}, parts)
        notices = (build / "THIRD-PARTY-NOTICES.txt").read_text()
        # "  package version: part, part, ..." under each source package.
        in_notices = {part for listed in re.findall(r"^  \S+ \S+: (.+)$", notices, re.M)
                      for part in listed.split(", ")}
        components = json.loads((build / "velmo.cdx.json").read_text())["components"]
        in_bom = {entry["value"]: component for component in components
                  for entry in component["properties"] if entry["name"] == "velmo:linked"}
        for part in sorted(parts):
            with self.subTest(part=part):
                self.assertIn(part, in_notices)
                self.assertTrue(in_bom[part]["version"])
                self.assertTrue(in_bom[part]["purl"].startswith("pkg:deb/debian/"))


if __name__ == "__main__":
    unittest.main()
