"""Builds the packages with the project's own script and reads them back
with msitools."""
import os
import pathlib
import re
import shutil
import subprocess

from appletFacts import SOURCE_DIR

BUILD_SCRIPT = SOURCE_DIR / "deploy" / "build-msi.sh"
WIX_SOURCE = SOURCE_DIR / "deploy" / "velmo.wxs"


def shipped_exe():
    """The i686 applet of the win32 preset, which the packages carry."""
    return pathlib.Path(os.environ.get("VELMO_WIN32_EXE", SOURCE_DIR / "build/win32/velmo.exe"))


def build(exe, out_dir, version=None):
    """Runs build-msi.sh; gives the package paths by architecture."""
    command = [str(BUILD_SCRIPT), str(exe), str(out_dir)] + ([version] if version else [])
    printed = subprocess.run(command, check=True, capture_output=True, text=True).stdout
    packages = {}
    for line in printed.split():
        arch = re.search(r"-(x86|x64)\.msi$", line).group(1)
        packages[arch] = pathlib.Path(line)
    return packages


def marked_copy(exe, directory, mark):
    """A copy of the exe with bytes appended, to tell one build from another."""
    copy = pathlib.Path(directory) / "velmo.exe"
    shutil.copyfile(exe, copy)
    with open(copy, "ab") as stream:
        stream.write(mark)
    return copy


def table(msi, name):
    """Rows of one table as dicts; msiinfo gives names, types and keys first."""
    lines = subprocess.run(["msiinfo", "export", str(msi), name], check=True,
                           capture_output=True, text=True).stdout.splitlines()
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]


def properties(msi):
    return {row["Property"]: row["Value"] for row in table(msi, "Property")}


def summary(msi):
    printed = subprocess.run(["msiinfo", "suminfo", str(msi)], check=True,
                             capture_output=True, text=True).stdout
    return dict(line.split(": ", 1) for line in printed.splitlines() if ": " in line)


def upgrade_code():
    """The product line's code, fixed in the WiX source."""
    return re.search(r'UpgradeCode="(\{[0-9A-F-]+\})"', WIX_SOURCE.read_text()).group(1)
