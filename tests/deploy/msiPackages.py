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


def build(exe, out_dir, version=None, signing=None):
    """Runs build-msi.sh, signing with the certificate the `signing`
    variables name; gives the package paths by architecture."""
    command = [str(BUILD_SCRIPT), str(exe), str(out_dir)] + ([version] if version else [])
    printed = subprocess.run(command, check=True, capture_output=True, text=True,
                             env=dict(os.environ, **(signing or {}))).stdout
    packages = {}
    for line in printed.split():
        arch = re.search(r"-(x86|x64)\.msi$", line).group(1)
        packages[arch] = pathlib.Path(line)
    return packages


def marked_copy(exe, directory, mark):
    """A copy of the exe with bytes appended, to tell one build from another,
    with the notices made beside it."""
    copy = pathlib.Path(directory) / "velmo.exe"
    shutil.copyfile(exe, copy)
    shutil.copy(pathlib.Path(exe).parent / "THIRD-PARTY-NOTICES.txt", directory)
    with open(copy, "ab") as stream:
        stream.write(mark)
    return copy


def throwaway_signer(directory):
    """A CA made for the test and a code-signing certificate it issued, as a
    PKCS#12 file: the signing variables, and the CA's certificate."""
    def openssl(*args):
        subprocess.run(["openssl"] + list(args), check=True, cwd=directory,
                       capture_output=True)
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
            "-subj", "/CN=Throwaway Test CA", "-keyout", "ca.key", "-out", "ca.pem",
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign")
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=Throwaway OEM",
            "-keyout", "oem.key", "-out", "oem.csr")
    pathlib.Path(directory, "oem.ext").write_text(
        "basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n"
        "extendedKeyUsage=codeSigning\n")
    openssl("x509", "-req", "-in", "oem.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
            "-CAcreateserial", "-days", "1", "-extfile", "oem.ext", "-out", "oem.pem")
    openssl("pkcs12", "-export", "-inkey", "oem.key", "-in", "oem.pem", "-certfile", "ca.pem",
            "-passout", "pass:throwaway", "-out", "oem.p12")
    password = pathlib.Path(directory, "password")
    password.write_text("throwaway")
    signing = {"VELMO_SIGN_PKCS12": str(pathlib.Path(directory, "oem.p12")),
               "VELMO_SIGN_PASSWORD_FILE": str(password)}
    return signing, pathlib.Path(directory, "ca.pem")


def verifies(signed, ca):
    """Whether osslsigncode finds a valid signature by the given CA."""
    return subprocess.run(["osslsigncode", "verify", "-CAfile", str(ca), "-in", str(signed)],
                          capture_output=True).returncode == 0


def extracted_exe(msi, directory):
    """The velmo.exe a package carries, taken out of it."""
    subprocess.run(["msiextract", "-C", str(directory), str(msi)], check=True,
                   capture_output=True)
    return next(pathlib.Path(directory).rglob("velmo.exe"))


def table_names(msi):
    return subprocess.run(["msiinfo", "tables", str(msi)], check=True, capture_output=True,
                          text=True).stdout.split()


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
