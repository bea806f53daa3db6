#!/usr/bin/env python3
"""Learns how an unstressed e or o before the stressed syllable is said (e, open e, i;
o, open o, u) from a pronouncing lexicon, as rules of the engine's rule file.

usage: atonas.py LEXICON.tsv [MIN-WORDS] [--parte dev|held|all] [--grava PORTUG.NRL]

The words' vowel letters before the stressed one are paired with the lexicon's
syllables before the stress mark, where both count alike; a lone e or o (not nasal) so
paired is an example; vowels in hiatus are apart. Examples are grouped by up to 4 letters after the vowel and then
up to 4 letters before it; a group of at least MIN-WORDS (default 2) with a 70 %
majority that differs from the decision of the group it refines becomes a rule
"<letters(E)letters=i", "<" holding only before the stressed letter. The plain reading
(e, o) needs no rule: the file's later rules give it.

Printed on standard output (UTF-8); with --grava, the rules replace the block after each
"; unstressed X before the stressed syllable" comment of that rule file (cp1252).
"""
import os, sys, unicodedata
from collections import Counter

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from aprende import em_ordem, executa, palavras  # noqa: E402

VOGAIS = "aeiouáéíóúâêôãõàü"
SAIDA = {"e": {"e": None, "ɛ": "ee", "i": "i", "ɪ": "i"},
         "o": {"o": None, "ɔ": "oo", "u": "u", "ʊ": "u"}}
DIREITA, ESQUERDA, LIMIAR = 4, 4, 0.7

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
    for w, ipa, p in palavras(lexicon, parte):
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
        escolhidas = em_ordem(escolhidas, decisao, cont)
        for depois, antes, d, c in escolhidas:
            nota = ", ".join(f"{n} {x or letra}" for x, n in c.most_common())
            out.append(f"<{antes}({letra.upper()}){depois}={d or letra}|{nota}")
    return out

if __name__ == "__main__":
    executa(exemplos, regras, r"; unstressed (e|o) before the stressed syllable",
            lambda letra: f"({letra})")
