#!/usr/bin/env python3
"""Exception entries that make today's spelling read like the old one.

usage: reforma.py SONELA-VOZ ONDAL-DIR LEGACY-DIR LEXICON.tsv SEED.txt

The words are those of SEED (old spellings; a word after "-" is never listed) and every word of LEXICON written the old
way: with u-diaeresis after g or q, with éi or ói in a paroxytone, with ôo or êe. For
each, the reformed spelling is read by both rule sets; where it does not read like the
old spelling, an entry is printed ("ondal<TAB>line" or "legado<TAB>line") that sends the
new spelling to the old one. The entries go into data/ondal/portug.exc and
data/legacy/portug.exc.
"""
import re, subprocess, sys

def old_words(lexicon, seed):
    listed = [w for l in open(seed, encoding="utf-8") if not l.startswith("#") for w in l.split()]
    never = set(w[1:] for w in listed if w.startswith("-"))
    words = set(w for w in listed if not w.startswith("-"))
    seeded = set(reform(w) for w in words)
    known = set(line.split("\t")[0] for line in open(lexicon, encoding="utf-8"))
    for w in known:
        # a reformed spelling the lexicon already holds is another word (veia, leia)
        if reform(w) in never or reform(w) in known and reform(w) not in seeded:
            continue
        if re.search("[gq]ü", w) or reform(w) != w.replace("ü", "u"):
            words.add(w)
    return sorted(w for w in words if w.islower() and reform(w) != w)

def reform(w):
    w = w.replace("ü", "u")
    w = re.sub("éi(?=([^aeiouáéíóúâêôãõmn][^aeiouáéíóúâêôãõ]*)?(a|e|o|am|em)s?$)", "ei", w)
    w = re.sub("ói(?=([^aeiouáéíóúâêôãõmn][^aeiouáéíóúâêôãõ]*)?(a|e|o|am|em)s?$)", "oi", w)
    return w.replace("ôo", "oo").replace("êe", "ee")

LEGACY_MARKS = {"á": "a'", "é": "e'", "í": "i'", "ó": "o'", "ú": "u'", "â": "a^", "ê": "e^",
                "ô": "o^", "ã": "a~", "õ": "o~", "à": "a`", "ç": "ss", "ü": 'u"'}

def legacy(w):
    return "".join(LEGACY_MARKS.get(c, c) for c in w)

def run(voz, args, words):
    out = subprocess.run([voz, "fonemas"] + args, input="\n".join(words) + "\n",
                         capture_output=True, text=True, check=True).stdout
    return dict(l.split("\t", 1) for l in out.splitlines())

def main():
    voz, ondal, leg, lexicon, seed = sys.argv[1:6]
    printed = set()

    def emit(kind, key, alias):
        # casas is found through casa: a plural or -m form of a listed word needs nothing
        for cut in ("s", "m"):
            if key.endswith(cut) and alias.endswith(cut) and (kind, key[:-1], alias[:-1]) in printed:
                return
        printed.add((kind, key, alias))
        print(f"{kind}\t{key}={alias}")

    old = old_words(lexicon, seed)
    new = [reform(w) for w in old]
    e = run(voz, ["--dir", ondal], old + new)
    # the legacy reads u-diaeresis as plain u: its old spelling is written with marks
    l = run(voz, ["--legado", "--dir", leg], new)
    for o, n in zip(old, new):
        if n == o:
            continue
        if e[n] != e[o]:
            emit("ondal", n, o)
        lo = legacy(o)
        if legacy(n) != lo:
            lt = run(voz, ["--legado", "--dir", leg], [lo.replace('u"', "ü")])
            if l[n] != lt[lo.replace('u"', "ü")] or "ü" in o:
                emit("legado", legacy(n), lo)

if __name__ == "__main__":
    main()
