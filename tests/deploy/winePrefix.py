"""A Wine prefix of its own for the installer tests: msiexec and reg of the
64-bit Wine, and the registry and drive C of that prefix."""
import os
import pathlib
import re
import shutil
import subprocess

import appletFacts

WINE_DIR = pathlib.Path("/usr/lib/wine")
VALUE_LINE = re.compile(r"^    (.+?)    (REG_\w+)    ?(.*)$")


def parse_values(lines):
    """reg query's value lines as {name: (type, data)}."""
    found = (VALUE_LINE.match(line) for line in lines)
    return {match.group(1): (match.group(2), match.group(3)) for match in found if match}


class WinePrefix:
    def __init__(self, path):
        self.path = pathlib.Path(path)
        self.env = dict(os.environ, WINEPREFIX=str(self.path), WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")

    def create(self):
        """A new prefix, so that no earlier run leaves anything behind: a copy
        of the checkout's base prefix, made by the scripts' own helper."""
        shutil.rmtree(self.path, ignore_errors=True)
        # Its helper processes outlive it, so they must not hold our pipes.
        subprocess.run(["bash", "-c", 'source "$0/scripts/wine-env.sh" && velmo_prepare_wine',
                        str(appletFacts.SOURCE_DIR)], env=self.env, check=True,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        # One server for the whole suite; stop() ends it, and should a run die
        # first, it ends by itself a little after the last Wine process.
        subprocess.run([str(WINE_DIR / "wineserver64"), "-p10"], env=self.env, check=True)

    def stop(self):
        subprocess.run([str(WINE_DIR / "wineserver64"), "-k"], env=self.env)

    loader = WINE_DIR / "wine64"

    def wine(self, *args):
        return subprocess.run([str(self.loader), *map(str, args)], env=self.env,
                              stdin=subprocess.DEVNULL, capture_output=True, text=True,
                              errors="replace")

    def msiexec(self, *args):
        """Exit status of a quiet msiexec run; Wine keeps only its low 8 bits."""
        return self.wine("msiexec", *args, "/qn").returncode

    def host_path(self, windows_path):
        """Where a C: path lies on this machine."""
        relative = windows_path.replace("\\", "/").split(":/", 1)[1]
        return self.path / "drive_c" / relative

    def values(self, key, view="64"):
        """The values of a key as {name: (type, data)}, or None without the key."""
        result = self.wine("reg", "query", key, "/reg:" + view)
        if result.returncode != 0:
            return None
        return parse_values(result.stdout.splitlines())

    def set_value(self, key, name, kind, data):
        result = self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f")
        assert result.returncode == 0, result.stderr

    def installed_products(self, name):
        """(product code, version) of every registered product of that name."""
        uninstall = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
        result = self.wine("reg", "query", uninstall, "/s")
        # A failed query must not read as "nothing installed".
        assert result.returncode == 0, result.stderr
        printed = result.stdout
        products = []
        for block in re.split(r"\n(?=HKEY_)", printed):
            entries = parse_values(block.splitlines())
            if entries.get("DisplayName", (None, None))[1] == name:
                key = block.splitlines()[0]
                products.append((key.rsplit("\\", 1)[1], entries["DisplayVersion"][1]))
        return products
