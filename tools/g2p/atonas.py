#!/usr/bin/env python3
"""Learns how an unstressed e or o before the stressed syllable is said (e, open e, i;
o, open o, u) from a pronouncing lexicon, as rules of the engine's rule file.

usage: atonas.py LEXICON.tsv [MIN-WORDS] [--parte dev|held|all] [--grava PORTUG.NRL]

The words' vowel letters before the stressed one are paired with the lexicon's
syllables before the stress mark, where both count alike; a lone e or o (not nasal) so
paired is an example; vowels in hiatus are apart. Examples are grouped by up to 4 letters after the vowel and then
up to 4 letters before it; a group of at least MIN-WORDS (default 2) with a 60 %
majority that differs from the decision of the group it refines becomes a rule
"<letters(E)letters=i", "<" holding only before the stressed letter. The plain reading
(e, o) needs no rule: the file's later rules give it.

Printed on standard output (UTF-8); with --grava, the rules replace the block after each
"; unstressed X before the stressed syllable" comment of that rule file (cp1252).
"""
import os, re, sys, unicodedata
from collections import Counter

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from abertas import tonica  # noqa: E402  the engine's stress finder

VOGAIS = "aeiouáéíóúâêôãõàü"
SAIDA = {"e": {"e": None, "ɛ": "ee", "i": "i", "ɪ": "i"},
         "o": {"o": None, "ɔ": "oo", "u": "u", "ʊ": "u"}}
DIREITA, ESQUERDA, LIMIAR = 4, 4, 0.6

def grupos(w):
    """(start, end) of each syllable's vowel letters: a vowel with the i or u glides after
    it (and ão, õe, ãe) is one; other vowels next to each other are apart (hiatus); the u
    of gue, gui, que, qui is no vowel."""
    out, i = [], 0
    while i < len(w):
        if w[i] in VOGAIS and not (w[i] == "u" and i > 0 and w[i - 1] in "qg"
                                   and i + 1 < len(w) and w[i + 1] in "eiéêí"):
            j = i + 1
            while j < len(w) and w[j] in VOGAIS and (w[j] in "iuü" or w[j - 1] in "ãõ"):
                j += 1
            out.append((i, j))
            i = j
        else:
            i += 1
    return out

def exemplos(lexicon, parte):
    for num, line in enumerate(open(lexicon, encoding="utf-8"), 1):
        if parte == "dev" and num % 5 == 0 or parte == "held" and num % 5 != 0:
            continue
        w, _, ipa = line.rstrip("\n").partition("\t")
        if not re.fullmatch("[a-zàáâãçéêíóôõúü]+", w):
            continue
        p = tonica(w)
        if p < 2:
            continue
        s = unicodedata.normalize("NFD", ipa.strip("/").split(",")[0])
        if "ˈ" not in s:
            continue
        silabas = [x for x in s[:s.index("ˈ")].split(".") if x]
        antes = [g for g in grupos(w) if g[1] <= p - 1]
        if len(antes) != len(silabas):
            continue
        for (a, b), sil in zip(antes, silabas):
            if b - a != 1 or w[a] not in "eo":
                continue
            if b < len(w) and w[b] in "mn" and (b + 1 >= len(w) or w[b + 1] not in VOGAIS):
                continue  # nasal
            v = [ch for ch in sil if ch in "aeiouɛɔɪʊ"]
            if len(v) != 1 or "\u0303" in sil or v[0] not in SAIDA[w[a]]:
                continue
            yield w[a], w[:a].upper(), w[b:].upper(), v[0]

def regras(exs, minimo):
    out = []
    for letra in "eo":
        cont = {}
        for l, antes, depois, q in exs:
            if l != letra:
                continue
            depois += "%"
            q = SAIDA[letra][q]
            for k in range(0, min(len(depois), DIREITA) + 1):
                for j in range(0, min(ESQUERDA, len(antes)) + 1):
                    cont.setdefault((depois[:k], antes[len(antes) - j:]), Counter())[q] += 1
        decisao, escolhidas = {}, []
        for chave in sorted(cont, key=lambda c: (len(c[0]), len(c[1]))):
            depois, antes = chave
            herdada = None
            if depois or antes:
                herdada = decisao[(depois, antes[1:]) if antes else (depois[:-1], "")]
            c = cont[chave]
            total = sum(c.values())
            propria, n = c.most_common(1)[0]
            d = propria if total >= minimo and n >= LIMIAR * total else herdada
            decisao[chave] = d
            if d != herdada:
                escolhidas.append((depois, antes, d, c))
        # the first rule that holds wins, longest "after" first: a group whose "after" is
        # one letter longer than that of a rule with letters before gets its own rule
        feitas = {(d, a) for d, a, _, _ in escolhidas}
        com_antes = {}
        for depois, antes, d, _ in escolhidas:
            if antes:
                com_antes.setdefault(depois, set()).add(d)
        for (depois, antes), d in list(decisao.items()):
            if antes or not depois or (depois, "") in feitas:
                continue
            if any(x != d for x in com_antes.get(depois[:-1], ())):
                escolhidas.append((depois, "", d, cont[(depois, "")]))
                feitas.add((depois, ""))
        escolhidas.sort(key=lambda e: (-len(e[0]), -len(e[1]), e[0], e[1]))
        for depois, antes, d, c in escolhidas:
            nota = ", ".join(f"{n} {x or letra}" for x, n in c.most_common())
            out.append(f"<{antes}({letra.upper()}){depois}={d or letra}|{nota}")
    return out

def grava(arquivo, saida):
    linhas = open(arquivo, encoding="cp1252").read().split("\n")
    out, k = [], 0
    while k < len(linhas):
        out.append(linhas[k])
        m = re.match(r"; unstressed (e|o) before the stressed syllable", linhas[k])
        k += 1
        if m:
            letra = m.group(1).upper()
            while k < len(linhas) and linhas[k].startswith(";"):
                out.append(linhas[k])
                k += 1
            while k < len(linhas) and linhas[k].startswith("<") and f"({letra})" in linhas[k]:
                k += 1
            out += [r for r in saida if f"({letra})" in r]
    open(arquivo, "w", encoding="cp1252", newline="\n").write("\n".join(out))

def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    parte = sys.argv[sys.argv.index("--parte") + 1] if "--parte" in sys.argv else "all"
    args = [a for a in args if a not in ("dev", "held", "all")]
    destino = sys.argv[sys.argv.index("--grava") + 1] if "--grava" in sys.argv else None
    if destino:
        args.remove(destino)
    minimo = int(args[1]) if len(args) > 1 else 2
    saida = regras(list(exemplos(args[0], parte)), minimo)
    if destino:
        grava(destino, saida)
    else:
        print("\n".join(saida))

if __name__ == "__main__":
    main()
