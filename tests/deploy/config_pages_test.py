#!/usr/bin/env python3
"""Checks the status pages of deploy/config against what the browser center relies on: the
element ids it fills and reads (present once, of a kind the access works on), the command words
of the pane each page is shown in, local links and images that resolve inside the folder, the
list paragraphs the list writer rewrites, and the signup address block the signup patch rewrites.

Usage: config_pages_test.py CONFIG_DIR (the shipped pages are checked, then the checker itself is
shown to catch broken copies of them)."""

import html.parser
import os
import re
import shutil
import sys
import tempfile
import unittest

MARKER = "OLECMDID_"

# Command words of the panes, in the order the program searches them.
EXTRA_WORDS = ["CLOSE", "LOCAL:", "MOVE:", "UPDATE", "CONNECT", "BACK", "NEXT", "ENUM"]
TITLE_BAR_WORDS = ["CLOSE", "MIN", "TEST", "MAX", "CONNECT", "HTTP:"]

# Elements the program reads by inner HTML: they must hold plain text only, and they start
# empty so that a page the program did not fill hands back nothing rather than a made-up value.
TEXT_READ = ["CTN_START_MODE", "CTN_START_URL", "CTN_PHONE_NUMBER", "CTN_SAVE_PASSWORD",
             "CTN_RAS_DEVICE_NAME", "CTN_COUNTRY_NAME", "CTN_OPT_STATE"]
# Elements the program only writes text into.
TEXT_WRITE = ["CTN_USER_NAME", "CTN_PASSWORD", "IDC_RAS_STATUS", "IDC_RAS_ERROR", "IDC_TITELZEILE"]
# Elements whose "value" attribute is exchanged.
VALUE_ATTRIBUTE = ["CTN_OKZ", "CTN_AKZ", "TEMP1", "TEMP2"]
# Paragraphs holding a select element, rewritten by the program's list writer.
LISTS = ["CTN_RAS_DEVICE_LIST", "CTN_COUNTRYLIST"]

DIAL_IDS = TEXT_READ + ["CTN_USER_NAME", "CTN_PASSWORD"] + VALUE_ATTRIBUTE + LISTS

# Each page, the pane it is shown in (None: a page for a web browser, without commands) and the
# ids the program uses in it.
PAGES = {
    "dial.htm": ("extra", DIAL_IDS),
    "aufbauen.htm": ("extra", ["IDC_RAS_STATUS"]),
    "abbauen.htm": ("extra", ["IDC_RAS_STATUS"]),
    "connect.htm": ("extra", []),
    "discon.htm": ("extra", ["IDC_RAS_ERROR"]),
    "QClose.htm": ("extra", []),
    "SKLoadin.htm": ("extra", []),
    "SKLoaded.htm": ("extra", []),
    "SignupSuccess.htm": ("extra", []),
    "SignupError.htm": ("extra", []),
    "Titlebar.htm": ("title bar", ["IDC_TITELZEILE"]),
    "signup.htm": (None, []),
    "start.htm": (None, []),
}
# Pages holding the signup address block (the signup page, and the start page the program
# shows full screen when a signup connection comes up).
SIGNUP_PAGES = ["signup.htm", "start.htm"]
PANE_WORDS = {"extra": EXTRA_WORDS, "title bar": TITLE_BAR_WORDS, None: []}

SIGNUP_START = "<!-- Start of SignupURL --->"
SIGNUP_END = "<!-- End of SignupURL --->"

VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "param",
        "source", "track", "wbr"}
LINK_ATTRIBUTES = {("a", "href"), ("area", "href"), ("link", "href"), ("script", "src"),
                   ("img", "src"), ("input", "src"), ("iframe", "src"), ("frame", "src")}
SCRIPT_STRING = re.compile(r"""(['"])(.*?)\1""")
SCRIPT_ID = re.compile(r"""(?:byId|getElementById)\(\s*['"]([^'"]+)['"]\s*\)""")
CSS_URL = re.compile(r"""url\(\s*['"]?([^'")]+)['"]?\s*\)""")
CHARSET = re.compile(rb"""<meta[^>]*charset=["']?([\w-]+)""", re.I)


class Element:
    def __init__(self, tag, attrs, start_tag, line):
        self.tag = tag
        self.attrs = dict(attrs)
        self.start_tag = start_tag
        self.line = line
        self.children = []  # elements and text, in order

    def elements(self):
        return [c for c in self.children if isinstance(c, Element)]


class PageParser(html.parser.HTMLParser):
    """A small tree of the page: enough for ids, children, links and scripts."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.root = Element("#document", [], "", 0)
        self.stack = [self.root]
        self.all = []
        self.scripts = []  # inline script texts and handler attributes

    def handle_starttag(self, tag, attrs):
        element = Element(tag, attrs, self.get_starttag_text(), self.getpos()[0])
        self.stack[-1].children.append(element)
        self.all.append(element)
        self.scripts.extend(v for k, v in attrs if k.startswith("on") and v)
        if tag not in VOID:
            self.stack.append(element)

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)
        if tag not in VOID:
            self.stack.pop()

    def handle_endtag(self, tag):
        for i in range(len(self.stack) - 1, 0, -1):
            if self.stack[i].tag == tag:
                del self.stack[i:]
                return

    def handle_data(self, data):
        self.stack[-1].children.append(data)
        if self.stack[-1].tag == "script":
            self.scripts.append(data)


def read_bytes(path):
    with open(path, "rb") as file:
        return file.read()


def read_text(path):
    return read_bytes(path).decode("cp1252")


def write_text(path, text):
    with open(path, "wb") as file:
        file.write(text.encode("cp1252"))


def read_page(path):
    """The page's text in the encoding its meta element declares, plus problems with that."""
    raw = read_bytes(path)
    problems = []
    found = CHARSET.search(raw[:1024])
    charset = found.group(1).decode().lower() if found else None
    if charset is None:
        problems.append("no charset declared in its first 1024 bytes")
        charset = "windows-1252"
    if charset in ("windows-1252", "cp1252", "iso-8859-1"):
        # Windows-1252 text that is in fact UTF-8 would show its umlauts as two characters.
        if re.search(rb"[\xc2-\xf4][\x80-\xbf]", raw):
            problems.append("declares %s but holds UTF-8 sequences" % charset)
        charset = "cp1252"
    try:
        return raw.decode(charset), problems
    except (UnicodeDecodeError, LookupError) as error:
        return raw.decode("latin-1"), problems + ["does not decode as %s: %s" % (charset, error)]


def command_problem(url, words):
    """Why a command URL would not run the command it names in a pane with these words."""
    command = url[url.index(MARKER) + len(MARKER):]
    if not words:
        return "command %r on a page that no pane interprets" % url
    found = next((w for w in words if w in command), None)
    if found is None:
        return "command %r: no word of this pane" % url
    if found.endswith(":") and command.startswith(found):
        return None
    if command != found:
        return "command %r runs %s" % (url, found)
    return None


def local_target(url):
    """The file a local link names, or None for a link that leaves the page's files."""
    if not url or url.startswith("#") or MARKER in url:
        return None
    if re.match(r"^[a-zA-Z][a-zA-Z0-9+.-]*:", url) or url.startswith("//"):
        return None
    return re.split(r"[?#]", url, 1)[0]


def link_problems(folder, name, url):
    target = local_target(url)
    if target is None:
        return []
    path = os.path.normpath(os.path.join(folder, target))
    if os.path.dirname(path) != os.path.normpath(folder):
        return ["%s: link %r leaves the config folder" % (name, url)]
    if target not in os.listdir(folder):
        return ["%s: link %r names no file of the config folder" % (name, url)]
    return []


def signup_problems(text):
    """The signup patch replaces everything from the first "=" after the start marker up to the
    end marker with the new address; only an address may stand there."""
    start = text.find(SIGNUP_START)
    end = text.find(SIGNUP_END, start + 1) if start >= 0 else -1
    if start < 0 or end < 0:
        return ["signup address markers missing or out of order"]
    if text.count(SIGNUP_START) != 1 or text.count(SIGNUP_END) != 1:
        return ["signup address markers appear more than once"]
    equals = text.find("=", start)
    if equals < 0 or equals > end:
        return ["no assignment between the signup address markers"]
    if not re.fullmatch(r"""\s*"[^"\r\n]*"\s*;?\s*""", text[equals + 1:end]):
        return ["more than the address between the \"=\" and the end marker"]
    name = re.search(r"(\w+)\s*$", text[start + len(SIGNUP_START):equals])
    if not name or len(re.findall(r"\b%s\b" % name.group(1), text)) < 2:
        return ["the signup address variable is not used"]
    return []


def check_folder(folder):
    problems = []
    for css in (f for f in os.listdir(folder) if f.endswith(".css")):
        for url in CSS_URL.findall(read_text(os.path.join(folder, css))):
            problems += link_problems(folder, css, url)

    for name, (pane, ids) in sorted(PAGES.items()):
        path = os.path.join(folder, name)
        if not os.path.isfile(path):
            problems.append("%s: missing" % name)
            continue
        text, read = read_page(path)
        problems += ["%s: %s" % (name, p) for p in read]
        parser = PageParser()
        parser.feed(text)
        parser.close()
        by_id = {}
        for element in parser.all:
            if "id" in element.attrs:
                by_id.setdefault(element.attrs["id"], []).append(element)
        for key, found in sorted(by_id.items()):
            if len(found) > 1:
                problems.append("%s: id %s appears %d times" % (name, key, len(found)))

        for key in ids:
            if key not in by_id:
                problems.append("%s: element %s missing" % (name, key))
                continue
            element = by_id[key][0]
            if key in TEXT_READ + TEXT_WRITE and element.tag in VOID:
                problems.append("%s: %s is a <%s>, which holds no text" % (name, key, element.tag))
            if key in TEXT_READ and element.children:
                problems.append("%s: %s must start empty and hold plain text" % (name, key))
            if key in VALUE_ATTRIBUTE and element.tag != "input":
                problems.append("%s: %s must be an input field" % (name, key))
            if key in LISTS:
                problems += ["%s: %s" % (name, p) for p in list_problems(key, element)]

        # Commands in links, handler attributes and the page's own and included scripts.
        scripts = list(parser.scripts)
        for element in parser.all:
            if element.tag == "script" and "src" in element.attrs:
                included = os.path.join(folder, element.attrs["src"])
                if os.path.isfile(included):
                    scripts.append(read_text(included))
        urls = [e.attrs.get(a) or "" for e in parser.all for (t, a) in LINK_ATTRIBUTES if e.tag == t]
        urls += [s for script in scripts for _, s in SCRIPT_STRING.findall(script)]
        for url in urls:
            if MARKER in url:
                problem = command_problem(url, PANE_WORDS[pane])
                if problem:
                    problems.append("%s: %s" % (name, problem))
        for element in parser.all:
            for tag, attribute in LINK_ATTRIBUTES:
                if element.tag == tag and attribute in element.attrs:
                    problems += link_problems(folder, name, element.attrs[attribute])
            for url in CSS_URL.findall(element.attrs.get("style", "")):
                problems += link_problems(folder, name, url)
        for script in scripts:
            for key in SCRIPT_ID.findall(script):
                if key not in by_id:
                    problems.append("%s: a script uses element %s, which is missing" % (name, key))
        if name in SIGNUP_PAGES:
            problems += ["%s: %s" % (name, p) for p in signup_problems(text)]
    return problems


def list_problems(key, paragraph):
    """The list writer keeps the outer HTML up to its second ">" (the paragraph's and the select's
    opening tags) and appends the options, "</SELECT>" and "</p>"."""
    if paragraph.tag != "p":
        return ["%s must be a paragraph, not <%s>" % (key, paragraph.tag)]
    first = next((c for c in paragraph.children if not (isinstance(c, str) and not c.strip())), None)
    if not isinstance(first, Element) or first.tag != "select":
        return ["%s must begin with its select element" % key]
    if ">" in paragraph.start_tag[:-1] or ">" in first.start_tag[:-1]:
        return ["%s: a \">\" inside the opening tags cuts them apart" % key]
    return []


class ConfigPages(unittest.TestCase):
    folder = None

    def test_shipped_pages_are_sound(self):
        self.assertEqual(check_folder(self.folder), [])

    def broken(self, name, old, new):
        """The problems of a copy of the folder with one text of one file replaced."""
        with tempfile.TemporaryDirectory() as copy:
            for entry in os.listdir(self.folder):
                shutil.copy(os.path.join(self.folder, entry), copy)
            path = os.path.join(copy, name)
            text = read_text(path)
            self.assertIn(old, text)
            write_text(path, text.replace(old, new, 1))
            return check_folder(copy)

    def assertCaught(self, problems, fragment):
        self.assertTrue(any(fragment in p for p in problems), problems)

    def test_renamed_or_repeated_ids_are_caught(self):
        self.assertCaught(self.broken("discon.htm", 'id="IDC_RAS_ERROR"', 'id="IDC_RASERROR"'),
                          "element IDC_RAS_ERROR missing")
        self.assertCaught(self.broken("dial.htm", 'id="TEMP2"', 'id="TEMP1"'), "id TEMP1 appears 2 times")
        self.assertCaught(self.broken("dial.htm", 'id="dial-user"', 'id="dial-username"'),
                          "a script uses element dial-user")

    def test_elements_of_the_wrong_kind_are_caught(self):
        self.assertCaught(self.broken("dial.htm", '<span id="CTN_OPT_STATE"></span>',
                                      '<span id="CTN_OPT_STATE">0</span>'), "CTN_OPT_STATE must start empty")
        self.assertCaught(self.broken("dial.htm", '<input type="hidden" id="TEMP1" value="">',
                                      '<span id="TEMP1"></span>'), "TEMP1 must be an input field")
        self.assertCaught(self.broken("dial.htm", '<select id="dial-country" name="country">',
                                      '<select id="dial-country" title="a>b">'), "cuts them apart")
        self.assertCaught(self.broken("dial.htm", '<p id="CTN_COUNTRYLIST" class="list">',
                                      '<p id="CTN_COUNTRYLIST" class="list"><b>Land</b>'),
                          "must begin with its select element")

    def test_commands_the_pane_would_not_run_are_caught(self):
        self.assertCaught(self.broken("QClose.htm", 'href="OLECMDID_CLOSE"', 'href="OLECMDID_CANCEL"'),
                          "no word of this pane")
        self.assertCaught(self.broken("connect.htm", 'href="OLECMDID_CLOSE"', 'href="OLECMDID_DISCLOSE"'),
                          "runs CLOSE")
        self.assertCaught(self.broken("Titlebar.htm", 'href="OLECMDID_MIN"', 'href="OLECMDID_BACK"'),
                          "no word of this pane")
        self.assertCaught(self.broken("status.js", "Status.command('OLECMDID_CLOSE')",
                                      "Status.command('OLECMDID_HOME')"), "no word of this pane")

    def test_broken_links_are_caught(self):
        self.assertCaught(self.broken("discon.htm", 'href="dial.htm"', 'href="Dial.htm"'),
                          "names no file")
        self.assertCaught(self.broken("dial.htm", 'src="dial.js"', 'src="../dial.js"'),
                          "leaves the config folder")
        self.assertCaught(self.broken("aufbauen.htm", 'href="status.css"', 'href="skin.css"'),
                          "names no file")

    def test_encoding_and_signup_block_are_checked(self):
        self.assertCaught(self.broken("connect.htm", "Spaß", "SpaÃŸ"), "holds UTF-8 sequences")
        self.assertCaught(self.broken("signup.htm", '/neukunde/";', '/neukunde/"; openSignup();'),
                          "more than the address")
        self.assertCaught(self.broken("signup.htm", SIGNUP_END, "<!-- End of Signup --->"),
                          "markers missing")


if __name__ == "__main__":
    if len(sys.argv) != 2 or not os.path.isdir(sys.argv[1]):
        sys.exit("usage: config_pages_test.py CONFIG_DIR")
    ConfigPages.folder = os.path.abspath(sys.argv.pop())
    unittest.main(verbosity=2)
