"""What of the toolchain went into an exe, read from the linker's map, and
what its licences ask for: every static archive the linker took members from
and every start-up object, the Debian package that holds it, and that
package's own copyright file.

    third-party.py MAP NOTICES SBOM

NOTICES gets the copyright files, once per source package, with what each
supplied; SBOM is a CycloneDX JSON list of those packages and their
versions. The applet's own archives, relative to the build folder, are not
third-party."""
import json
import os
import re
import subprocess
import sys

VERSION_HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res",
                              "version.h")


def linked_from_toolchain(map_text):
    """Absolute paths of the archives and objects the map says were linked."""
    included = map_text.split("\nDiscarded input sections", 1)[0]
    archives = re.findall(r"^(/\S+?\.a)\(", included, re.M)
    objects = re.findall(r"^LOAD (/\S+\.o)$", map_text, re.M)
    return sorted(set(archives + objects))


def owners(paths):
    """Each path's Debian package, from dpkg's database."""
    real = {path: os.path.realpath(path) for path in paths}
    printed = subprocess.run(["dpkg", "-S"] + sorted(set(real.values())), check=True,
                             capture_output=True, text=True).stdout
    package_of = {}
    for line in printed.splitlines():
        package, path = line.split(": ", 1)
        package_of[path] = package.split(":")[0]
    missing = [path for path in paths if real[path] not in package_of]
    if missing:
        sys.exit("third-party: no package holds %s" % ", ".join(missing))
    return {path: package_of[real[path]] for path in paths}


def package_facts(package):
    fields = "${Version}\t${source:Package}\t${source:Version}\t${Architecture}"
    printed = subprocess.run(["dpkg-query", "-W", "-f=" + fields, package], check=True,
                             capture_output=True, text=True).stdout
    return dict(zip(("version", "source", "source_version", "arch"), printed.split("\t")))


def applet_version():
    text = open(VERSION_HEADER, encoding="utf-8").read()
    return ".".join(re.search(r"#define VELMO_VERSION_%s\s+(\d+)" % part, text).group(1)
                    for part in ("MAJOR", "MINOR", "PATCH"))


def main(map_path, notices_path, sbom_path):
    linked = linked_from_toolchain(open(map_path, encoding="utf-8").read())
    supplied = {}
    for path, package in owners(linked).items():
        supplied.setdefault(package, []).append(os.path.basename(path))
    facts = {package: package_facts(package) for package in supplied}

    by_source = {}
    for package in sorted(supplied):
        by_source.setdefault(facts[package]["source"], []).append(package)
    with open(notices_path, "w", encoding="utf-8", newline="\r\n") as notices:
        notices.write("Third-party software in velmo.exe\n\n"
                      "velmo.exe is built with Debian's MinGW-w64 toolchain and carries\n"
                      "parts of it. Their copyright notices and licences follow, as the\n"
                      "Debian packages that supplied them state them.\n")
        for source, packages in sorted(by_source.items()):
            notices.write("\n%s\n%s %s\n" % ("=" * 72, source,
                                             facts[packages[0]]["source_version"]))
            for package in packages:
                notices.write("  %s %s: %s\n" % (package, facts[package]["version"],
                                                 ", ".join(sorted(supplied[package]))))
            notices.write("%s\n\n" % ("=" * 72))
            copyright_file = "/usr/share/doc/%s/copyright" % packages[0]
            notices.write(open(copyright_file, encoding="utf-8").read())

    components = []
    for package in sorted(supplied):
        purl = "pkg:deb/debian/%s@%s?arch=%s" % (package, facts[package]["version"],
                                                 facts[package]["arch"])
        components.append({
            "type": "library", "bom-ref": purl, "name": package,
            "version": facts[package]["version"], "purl": purl,
            "properties": [{"name": "velmo:linked", "value": name}
                           for name in sorted(supplied[package])],
        })
    sbom = {
        "bomFormat": "CycloneDX", "specVersion": "1.5", "version": 1,
        "metadata": {"component": {"type": "application", "name": "velmo",
                                   "version": applet_version()}},
        "components": components,
    }
    with open(sbom_path, "w", encoding="utf-8") as stream:
        json.dump(sbom, stream, indent=2)
        stream.write("\n")


if __name__ == "__main__":
    main(*sys.argv[1:4])
