"""The administrative templates: well-formed, shaped as the ADMX schema
orders its elements, every reference resolved between ADMX and ADML, and
every value the one the applet reads, with its type and default."""
import re
import unittest
import xml.etree.ElementTree as ET

import appletFacts

NS = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
DEPLOY_DIR = appletFacts.SOURCE_DIR / "deploy"

# Children each element may have, in the order the schema's sequences give.
SEQUENCES = {
    "policyDefinitions": ["policyNamespaces", "supersededAdm", "resources", "supportedOn",
                          "categories", "policies"],
    "policyNamespaces": ["target", "using"],
    "categories": ["category"],
    "category": ["parentCategory", "seeAlso", "keywords"],
    "policies": ["policy"],
    "policy": ["parentCategory", "seeAlso", "keywords", "supportedOn", "enabledValue",
               "disabledValue", "enabledList", "disabledList", "elements"],
    "enabledValue": ["decimal", "string", "delete"],
    "disabledValue": ["decimal", "string", "delete"],
    "elements": ["boolean", "decimal", "text", "enum", "list", "longDecimal", "multiText"],
    "policyDefinitionResources": ["displayName", "description", "annotation", "resources"],
    "stringTable": ["string"],
    "presentationTable": ["presentation"],
    "textBox": ["label", "defaultValue"],
}
# By element, or by parent/element where a name has two meanings.
REQUIRED_ATTRIBUTES = {
    "policyDefinitions": {"revision", "schemaVersion"},
    "policyDefinitionResources": {"revision", "schemaVersion"},
    "target": {"prefix", "namespace"},
    "using": {"prefix", "namespace"},
    "category": {"name", "displayName"},
    "policy": {"name", "class", "displayName", "explainText", "key"},
    "elements/decimal": {"id", "valueName"},
    "elements/text": {"id", "valueName"},
    "enabledValue/decimal": {"value"},
    "disabledValue/decimal": {"value"},
    "stringTable/string": {"id"},
    "presentation": {"id"},
}
# The presentation control that shows each kind of element.
CONTROLS = {"decimal": {"decimalTextBox"}, "text": {"textBox", "comboBox"},
            "boolean": {"checkBox"}}
REFERENCE = re.compile(r"^\$\((string|presentation)\.(\w+)\)$")


# The Group Policy editor's folder of each language of the applet (res/lang).
CULTURES = {"ar": "ar-SA", "de": "de-DE", "en-US": "en-US", "es": "es-ES", "fr": "fr-FR",
            "he": "he-IL", "it": "it-IT", "ja": "ja-JP", "ko": "ko-KR", "nl": "nl-NL",
            "pl": "pl-PL", "pt-BR": "pt-BR", "ru": "ru-RU", "tr": "tr-TR", "zh-CN": "zh-CN",
            "zh-TW": "zh-TW"}
# What a translation keeps as the English has it: environment variables,
# numbers, registry paths and the applet's value names.
KEPT = re.compile(r"%\w+%|\d+|\w+(?:\\\w+)+|\b(?:"
                  + "|".join(sorted(appletFacts.machine_value_names())) + r")\b", re.ASCII)


def local(element):
    return element.tag[len(NS):]


def string_and_presentation_tables(adml):
    strings = {item.get("id"): item.text for item in adml.iter(NS + "string") if item.get("id")}
    presentations = {item.get("id"): item for item in adml.iter(NS + "presentation")}
    return strings, presentations


class AdministrativeTemplates(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.admx = ET.parse(DEPLOY_DIR / "velmo.admx").getroot()
        cls.languages = {path.parent.name: ET.fromstring(path.read_bytes())
                         for path in sorted(DEPLOY_DIR.glob("*/velmo.adml"))}
        cls.adml = cls.languages["en-US"]
        cls.policies = cls.admx.findall(f"{NS}policies/{NS}policy")
        cls.strings, cls.presentations = string_and_presentation_tables(cls.adml)

    def resolve(self, reference, kind):
        match = REFERENCE.match(reference or "")
        self.assertTrue(match and match.group(1) == kind, reference)
        table = self.strings if kind == "string" else self.presentations
        self.assertIn(match.group(2), table, reference)
        return table[match.group(2)]

    def value_elements(self, policy):
        return policy.findall(f"{NS}elements/*")

    def test_documents_follow_the_schema_structure(self):
        self.assertEqual(local(self.admx), "policyDefinitions")
        self.assertEqual(local(self.adml), "policyDefinitionResources")
        for root in (self.admx, self.adml):
            self.assertLessEqual(REQUIRED_ATTRIBUTES[local(root)], set(root.attrib))
            for parent in root.iter():
                if local(parent) in SEQUENCES:
                    order = [SEQUENCES[local(parent)].index(local(child)) for child in parent]
                    self.assertEqual(order, sorted(order), local(parent))
                for child in parent:
                    name = local(child)
                    required = REQUIRED_ATTRIBUTES.get(local(parent) + "/" + name,
                                                       REQUIRED_ATTRIBUTES.get(name, set()))
                    self.assertLessEqual(required, set(child.attrib), name)
        self.assertEqual(len(self.admx.findall(f"{NS}policyNamespaces/{NS}target")), 1)
        self.assertIsNotNone(self.admx.find(f"{NS}resources").get("minRequiredRevision"))
        adml_resources = [local(child) for child in self.adml.find(f"{NS}resources")]
        self.assertEqual(adml_resources, ["stringTable", "presentationTable"])

    def test_every_language_of_the_applet_has_its_language_file(self):
        tags = {path.stem for path in (appletFacts.SOURCE_DIR / "res" / "lang").glob("*.rc")}
        self.assertEqual(set(CULTURES), tags)
        self.assertEqual(set(self.languages), set(CULTURES.values()))
        for culture in self.languages:
            with self.subTest(culture=culture):
                data = (DEPLOY_DIR / culture / "velmo.adml").read_bytes()
                self.assertFalse(data.startswith(b"\xef\xbb\xbf"), "a byte order mark")
                data.decode("utf-8")

    def test_translations_hold_what_the_english_holds(self):
        required = self.admx.find(f"{NS}resources").get("minRequiredRevision")
        as_tuple = lambda text: tuple(int(part) for part in text.split("."))
        english = {key: set(KEPT.findall(text)) for key, text in self.strings.items()}
        shape = lambda item: [(local(child), sorted(child.attrib.items())) for child in item.iter()]
        for culture, adml in self.languages.items():
            with self.subTest(culture=culture):
                self.assertGreaterEqual(as_tuple(adml.get("revision")), as_tuple(required))
                self.assertEqual([local(child) for child in adml.find(f"{NS}resources")],
                                 ["stringTable", "presentationTable"])
                strings, presentations = string_and_presentation_tables(adml)
                self.assertEqual(set(strings), set(self.strings))
                self.assertEqual(set(presentations), set(self.presentations))
                for key, kept in english.items():
                    self.assertLessEqual(kept, set(KEPT.findall(strings[key] or "")), key)
                for key, presentation in self.presentations.items():
                    self.assertEqual(shape(presentations[key]), shape(presentation), key)
                    default = presentation.find(f".//{NS}defaultValue")
                    if default is not None:
                        self.assertEqual(presentations[key].find(f".//{NS}defaultValue").text,
                                         default.text)

    def test_every_reference_resolves(self):
        categories = {item.get("name") for item in self.admx.iter(NS + "category")}
        usings = {item.get("prefix") for item in self.admx.iter(NS + "using")}
        used_strings, used_presentations = set(), set()
        for element in self.admx.iter():
            for attribute in ("displayName", "explainText"):
                if element.get(attribute):
                    self.resolve(element.get(attribute), "string")
                    used_strings.add(REFERENCE.match(element.get(attribute)).group(2))
            if element.get("presentation"):
                self.resolve(element.get("presentation"), "presentation")
                used_presentations.add(REFERENCE.match(element.get("presentation")).group(2))
        for reference in self.admx.iter(NS + "parentCategory"):
            self.assertIn(reference.get("ref"), categories)
        for reference in self.admx.iter(NS + "supportedOn"):
            if reference.get("ref"):
                self.assertIn(reference.get("ref").split(":")[0], usings)
        # Nothing in the language file that the definitions do not use.
        self.assertEqual(set(self.strings), used_strings)
        self.assertEqual(set(self.presentations), used_presentations)

    def test_presentations_show_each_element_once_with_its_control(self):
        for policy in self.policies:
            with self.subTest(policy=policy.get("name")):
                elements = {item.get("id"): local(item) for item in self.value_elements(policy)}
                if not elements:
                    self.assertIsNone(policy.get("presentation"))
                    continue
                presentation = self.resolve(policy.get("presentation"), "presentation")
                controls = [(item.get("refId"), local(item)) for item in presentation]
                self.assertEqual(sorted(ref for ref, _ in controls), sorted(elements))
                for ref, control in controls:
                    self.assertIn(control, CONTROLS[elements[ref]])

    def test_value_names_are_the_ones_the_applet_reads(self):
        names = []
        for policy in self.policies:
            with self.subTest(policy=policy.get("name")):
                self.assertEqual(policy.get("class"), "Machine")
                self.assertEqual(policy.get("key"), appletFacts.key_path())
                own = [policy.get("valueName")] if policy.get("valueName") else []
                names += own + [item.get("valueName") for item in self.value_elements(policy)]
                self.assertFalse(any(item.get("key") for item in self.value_elements(policy)))
        self.assertEqual(sorted(names), sorted(appletFacts.machine_value_names()))

    def test_types_and_defaults_match_the_applet(self):
        numbers = appletFacts.numeric_defaults()
        switches = set(numbers) | {appletFacts.trace_switch_name()}
        for policy in self.policies:
            with self.subTest(policy=policy.get("name")):
                controls = {}
                if policy.get("presentation"):
                    presentation = self.resolve(policy.get("presentation"), "presentation")
                    controls = {item.get("refId"): item for item in presentation}
                for element in self.value_elements(policy):
                    name, kind = element.get("valueName"), local(element)
                    control = controls[element.get("id")]
                    if kind == "decimal":
                        # REG_DWORD: the applet takes no text for a number.
                        self.assertIn(name, numbers)
                        self.assertNotEqual(element.get("storeAsText"), "true")
                        self.assertEqual(int(control.get("defaultValue")), numbers[name])
                    else:
                        # REG_SZ: the applet rejects an expandable string.
                        self.assertEqual(kind, "text")
                        self.assertNotIn(name, switches)
                        self.assertNotEqual(element.get("expandable"), "true")
                        self.assertEqual(control.find(NS + "defaultValue").text,
                                         appletFacts.default_oem_url())
                if policy.get("valueName"):
                    # An on/off switch: 1 is on, 0 off as by default.
                    self.assertIn(policy.get("valueName"), switches)
                    on = policy.find(f"{NS}enabledValue/{NS}decimal").get("value")
                    off = policy.find(f"{NS}disabledValue/{NS}decimal").get("value")
                    self.assertEqual((on, off), ("1", "0"))
                    self.assertEqual(numbers.get(policy.get("valueName"), 0), 0)

    def test_number_ranges_keep_every_session_sane(self):
        ranges = {element.get("valueName"): (int(element.get("minValue")),
                                             int(element.get("maxValue")))
                  for element in self.admx.iter(NS + "decimal") if element.get("valueName")}
        defaults = appletFacts.numeric_defaults()
        for name, (low, high) in ranges.items():
            with self.subTest(value=name):
                default = defaults[name]
                self.assertLessEqual(low, default)
                self.assertLessEqual(default, high)
                # At the DWORD's top a count is a trap: "disabled" would never show.
                self.assertLess(high, 0xFFFFFFFF)
        low, high = ranges["CheckKorvaStatusTimeout"]
        # Windows raises a timer of 0 to 10 ms: one stray key would make every
        # session poll, and write the registry, a hundred times a second.
        self.assertGreaterEqual(low, 1000)
        # The warning's seconds are (checks - 1) x period, counted in 32 bits.
        self.assertLessEqual((ranges["KorvaStatusInitMaxRetries"][1] - 1) * high, 0xFFFFFFFF)

    def test_explanations_give_the_default_and_the_tattoo(self):
        defaults = {name: str(value) for name, value in appletFacts.numeric_defaults().items()}
        defaults["OemUrl"] = appletFacts.default_oem_url()
        for policy in self.policies:
            with self.subTest(policy=policy.get("name")):
                text = self.resolve(policy.get("explainText"), "string")
                named = [policy.get("valueName")] + [
                    item.get("valueName") for item in self.value_elements(policy)]
                for name in filter(None, named):
                    self.assertIn(name, text)
                    if name in defaults:
                        self.assertIn(defaults[name], text)
                self.assertIn("outside SOFTWARE\\Policies", text)


if __name__ == "__main__":
    unittest.main()
