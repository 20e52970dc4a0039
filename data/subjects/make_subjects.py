#!/usr/bin/env python3
"""Writes subjects.txt, the built-in subject dictionary, from the WordNet noun index.

Every noun lemma becomes one line in the form the matcher compares against: a leading
and a trailing space, upper-case ASCII words separated by single spaces. Lines of four
or fewer characters could never match and are left out, and so are words that stand in
almost every page title and would otherwise become everybody's subject.

subjects.txt is derived from WordNet 3.0; its licence is in WORDNET-LICENSE.txt beside it.

Usage: make_subjects.py [index.noun] [subjects.txt]  (defaults: the Debian wordnet-base
index and subjects.txt beside this script)
"""

import os
import re
import sys

INDEX = "/usr/share/wordnet/index.noun"
OUTPUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "subjects.txt")

# Site furniture, navigation and page genres: they tell what kind of page it is, not
# what it is about.
WEB_WORDS = """
    about access account ad address admin administrator advertisement alert app
    application archive article author back banner blog board bookmark button
    cart catalog catalogue category chapter chat checkout click comment
    community company connection contact content cookie copyright corporation course
    dashboard default description detail directory document documentation
    domain download draft e-mail edit edition email encyclopaedia encyclopedia entry
    error event exit faq favorite favourite feature feed file find form forum frame
    free front gallery group guest guide handbook header help home homepage host hub
    icon image index info information internet intro introduction issue item journal
    label latest link list listing location log login logon magazine mail
    main manual member menu message news newsletter note notice number
    offer official online option order overview owner page part password photo
    picture platform policy portal post poster posting preview print privacy product
    profile program programme project publication question reader record reference
    register registration release report resource result review rss sale search section
    service session setting share shop sign signup site sitemap source space specification
    start status store subscriber subscription summary support system tab table tag
    team terms text thread tip title today tool top topic trial tutorial update upload
    user version video view visit visitor web webpage website weblog welcome wiki
    world www
"""

# Everyday words that WordNet also lists as nouns ("will", "may", "one") or that are
# too general to name a subject.
COMMON_WORDS = """
    act action age aim all another any area aspect average bad base basic basics
    beginner being best better big bit build case cause change choice class close come
    condition control cost count course cover day deal degree
    difference direction do end example experience fact fall far fast few
    field figure fine first focus follow form forward full future general get give go
    good great hand here hold hundred idea if interest kind last late lead least left
    level line little long look lot low make man manner matter may
    mean means measure method might million minute moment month more most move
    much must name need new next nothing now object one open other out over pass
    period person piece place plan plus point position present problem
    process purpose quality range rate reason rest return right rise round rule run
    say second see self sense set shape show side size sort stage stand state step
    stop subject sum take tell term test there thing thousand three time total turn two
    type unit use value way week well while whole will work year yes
"""

# Whole phrases of the same kind as WEB_WORDS.
STOP_PHRASES = [
    "home page", "web page", "web site", "official site", "official website",
    "site map", "log in", "sign in", "sign up", "front page", "main page",
    "search engine", "e mail", "blog post", "news item", "news report",
    "information technology", "world wide web", "internet site",
]

# Grouping names of the taxonomy ("genus Rosa", "family Rosaceae"): titles that name
# them name the member, which has a line of its own.
TAXON_PREFIXES = (
    "class ", "division ", "family ", "genus ", "infraorder ", "kingdom ", "order ",
    "phylum ", "subclass ", "subdivision ", "subfamily ", "subgenus ", "subkingdom ",
    "suborder ", "subphylum ", "superclass ", "superfamily ", "superorder ", "tribe ",
)

NON_WORD = re.compile(r"[^0-9A-Z\x80-\xfe]+")


def normalise(lemma):
    """The lemma as the matcher's normalised text: ' WORD WORD ' or '' when no word."""
    text = lemma.replace("_", " ").replace("'", "").upper()
    words = [w for w in NON_WORD.split(text) if w]
    return " " + " ".join(words) + " " if words else ""


def stop_lines():
    words = (WEB_WORDS + COMMON_WORDS).split()
    return {normalise(w) for w in words} | {normalise(p) for p in STOP_PHRASES}


def subject_lines(index_lines):
    stop = stop_lines()
    seen = set()
    for raw in index_lines:
        if raw.startswith(" ") or not raw.strip():
            continue  # licence header
        lemma = raw.split(" ", 1)[0]
        line = normalise(lemma)
        if len(line) <= 4 or not re.search("[A-Z]", line):
            continue
        if line in stop or line in seen:
            continue
        if line.lower().strip().startswith(TAXON_PREFIXES):
            continue
        seen.add(line)
        yield line


def main(argv):
    source = argv[1] if len(argv) > 1 else INDEX
    target = argv[2] if len(argv) > 2 else OUTPUT
    with open(source, encoding="latin-1") as f:
        lines = list(subject_lines(f.read().splitlines()))
    with open(target, "w", encoding="latin-1", newline="\n") as f:
        f.writelines(line + "\n" for line in lines)
    print(f"{target}: {len(lines)} lines")


if __name__ == "__main__":
    main(sys.argv)
