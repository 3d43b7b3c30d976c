"""Gives a package from wixl what its inputs decide instead of the moment and
chance: the summary's dates from the given time, and a package code that is a
name-based UUID over the package's own bytes and its version, so that the
same bytes get the same code and other bytes another, as Windows Installer
asks of a package code.

    settle-msi.py MSI EPOCH VERSION"""
import hashlib
import struct
import sys
import uuid

# The summary information's property set, and the properties it settles.
SUMMARY_FMTID = uuid.UUID("F29F85E0-4FF9-1068-AB91-08002B27B3D9").bytes_le
REVISION, CREATED, SAVED = 9, 12, 13
VT_LPSTR, VT_FILETIME = 0x1E, 0x40
# The product line's UpgradeCode names the space of its package codes.
NAMESPACE = uuid.UUID("CF7B07DB-BC01-4B36-9ADB-9C268DD85BEF")


def summary_values(data):
    """Offsets of the settled properties' values in the file."""
    if data.count(SUMMARY_FMTID) != 1:
        sys.exit("settle-msi: no single summary property set in the package")
    fmtid = data.find(SUMMARY_FMTID)
    # Byte order, version, system and class id come first: 28 bytes.
    stream = fmtid - 28
    section = stream + struct.unpack_from("<I", data, fmtid + 16)[0]
    count = struct.unpack_from("<I", data, section + 4)[0]
    values = {}
    for index in range(count):
        pid, offset = struct.unpack_from("<II", data, section + 8 + 8 * index)
        values[pid] = section + offset
    return values


def main(path, epoch, version):
    with open(path, "rb") as stream:
        data = bytearray(stream.read())
    values = summary_values(data)
    filetime = (int(epoch) + 11644473600) * 10**7
    for pid in (CREATED, SAVED):
        if struct.unpack_from("<I", data, values[pid])[0] != VT_FILETIME:
            sys.exit("settle-msi: property %d is not a date" % pid)
        struct.pack_into("<Q", data, values[pid] + 4, filetime)
    kind, length = struct.unpack_from("<II", data, values[REVISION])
    start = values[REVISION] + 8
    if kind != VT_LPSTR or length < 39:
        sys.exit("settle-msi: the package code is not a GUID string")
    # The code is taken over the package with a blank one in its place.
    data[start:start + 38] = b"{%s}" % (b"0" * 36)
    name = "%s/%s" % (hashlib.sha256(data).hexdigest(), version)
    code = "{%s}" % str(uuid.uuid5(NAMESPACE, name)).upper()
    data[start:start + 38] = code.encode("ascii")
    with open(path, "wb") as stream:
        stream.write(data)


if __name__ == "__main__":
    main(*sys.argv[1:4])
