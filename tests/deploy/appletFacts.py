"""What the applet's own sources say about its settings and its identity, so
that the packages and templates are checked against the code, not against a
second list kept here."""
import pathlib
import re

SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]


def _source(relative):
    return (SOURCE_DIR / relative).read_text(encoding="utf-8")


def _config_header():
    return _source("common/velmoConfig.h")


def _unescape(literal):
    return literal.replace("\\\\", "\\")


def key_path():
    match = re.search(r'KeyPath\s*=\s*L"((?:[^"\\]|\\.)*)"', _config_header())
    return _unescape(match.group(1))


def default_oem_url():
    return re.search(r'kDefaultOemUrl\s*=\s*L"([^"]*)"', _config_header()).group(1)


def _value_names():
    """Registry value names of the configuration, by member name."""
    return dict(re.findall(r'std::wstring\s+(\w+Name)\s*=\s*L"(\w+)"', _config_header()))


def numeric_defaults():
    """Initial values of the 32-bit settings, by registry value name."""
    names = _value_names()
    members = re.findall(r"^\s*(?:DWORD|LONG)\s+(\w+)\s*=\s*(\d+);", _config_header(), re.M)
    return {names[member + "Name"]: int(value) for member, value in members}


def _per_user_names():
    """The names passed to the per-user read and write anywhere in the applet."""
    names = _value_names()
    members = set()
    for folder in ("common", "ui"):
        for path in (SOURCE_DIR / folder).glob("*.cpp"):
            text = path.read_text(encoding="utf-8")
            members |= set(re.findall(r"UserDword\(\s*(?:m_config\.)?(\w+Name)", text))
    return {names[member] for member in members}


def trace_switch_name():
    match = re.search(r'RegQueryValueExW\([^;]*?L"(\w+)"', _source("common/velmoLog.cpp"))
    return match.group(1)


def machine_value_names():
    """Every value the applet reads under HKEY_LOCAL_MACHINE."""
    return (set(_value_names().values()) - _per_user_names()) | {trace_switch_name()}


def _version_define(name):
    match = re.search(r"^#define\s+%s\s+(.+?)\s*$" % name, _source("res/version.h"), re.M)
    return match.group(1).strip('"')


def product_name():
    return _version_define("VELMO_PRODUCT_NAME")


def publisher():
    return _version_define("VELMO_PUBLISHER")


def product_version():
    """The three fields Windows Installer compares."""
    return ".".join(_version_define("VELMO_VERSION_" + part) for part in ("MAJOR", "MINOR", "PATCH"))


def window_caption():
    """The window's caption in English, which the Start menu names it by."""
    match = re.search(r'^#define TEXT_WINDOW_CAPTION "(.*)"$', _source("res/lang/en-US.rc"), re.M)
    return match.group(1)
