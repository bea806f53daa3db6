#!/usr/bin/env python3
"""Learns which stressed e and o are open from a pronouncing lexicon, as rules of the
engine's rule file.

usage: abertas.py LEXICON.tsv [MIN-WORDS] [--parte dev|held|all] [--grava PORTUG.NRL]

For every word whose stressed letter (found as the engine finds it) is a plain e or o,
the lexicon tells whether that vowel is open (ɛ, ɔ) or closed (e, o). The words are
grouped by the letters that follow the stressed vowel (up to 8) and, within a group, by
up to two letters before it (two did best in a validation inside the development part).
A group of at least MIN-WORDS words (default 2) with a clear majority (55 %) that
differs from the decision of the group it refines becomes a rule "X!(E)letters=ee" (or
"=e"), so each rule speaks for a spelling pattern shared by several words. A held-out
part (--parte dev to learn, then score the rest) shows how well the rules carry over to
words not seen.

Printed on standard output in the rule file's syntax (UTF-8); with --grava, the rules
replace the two learned blocks of that rule file (cp1252) instead.
"""
import os, sys, unicodedata
from collections import Counter

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from aprende import em_ordem, executa, palavras  # noqa: E402

def qualidade(ipa, letra):
    """'A' open, 'F' closed, None otherwise, for the stressed syllable's e or o."""
    s = unicodedata.normalize("NFD", ipa.strip("/").split(",")[0])
    if "ˈ" not in s:
        return None
    syl = s[s.index("ˈ") + 1:].split(".")[0]
    aberta, fechada = ("ɛ", "e") if letra == "e" else ("ɔ", "o")
    for k, ch in enumerate(syl):
        if ch in (aberta, fechada):
            if k + 1 < len(syl) and syl[k + 1] == "\u0303":
                return None
            return "A" if ch == aberta else "F"
        if ch in "aeiouɐɛɔ":
            return None
    return None

def exemplos(lexicon, parte):
    for w, ipa, p in palavras(lexicon, parte):
        if p == 0 or w[p - 1] not in "eo":
            continue
        letra = w[p - 1]
        q = qualidade(ipa, letra)
        if q is None:
            continue
        resto = w[p:]
        if resto[:1] in ("m", "n") and not resto[1:2] in ("h",):
            continue  # nasal before m, n: not a question of open or closed
        yield letra, w[:p - 1], resto, q

def arvore(exs, letra, minimo, limiar, direita, esquerda):
    """Groups keyed by (letters after, letters before); each group decides by its own
    majority when it has at least `minimo` words and that majority is at least `limiar`
    of them, else takes the decision of the group it refines (fewer letters before, or
    one letter fewer after). Returns the groups whose decision differs from their
    parent's, as rules, and every group's decision."""
    cont = {}
    for l, antes, resto, q in exs:
        if l != letra:
            continue
        depois = resto.upper() + "%"
        antes = antes.upper()
        for k in range(0, min(len(depois), direita) + 1):
            for j in range(0, min(esquerda, len(antes)) + 1):
                cont.setdefault((depois[:k], antes[len(antes) - j:]), Counter())[q] += 1
    decisao, regras = {}, []
    for chave in sorted(cont, key=lambda c: (len(c[0]), len(c[1]))):
        depois, antes = chave
        pai = (depois, antes[1:]) if antes else (depois[:-1], "")
        herdada = decisao[pai] if depois or antes else "F"
        c = cont[chave]
        total = c["A"] + c["F"]
        propria = "A" if c["A"] > c["F"] else "F"
        d = propria if total >= minimo and max(c.values()) >= limiar * total else herdada
        decisao[chave] = d
        if d != herdada:
            regras.append((depois, antes, d, c))
    return regras, decisao, cont

def regras(exs, minimo, limiar=0.55, direita=8, esquerda=2):
    out = []
    for letra in "eo":
        escolhidas, decisao, cont = arvore(exs, letra, minimo, limiar, direita, esquerda)
        escolhidas = em_ordem(escolhidas, decisao, cont)
        for depois, antes, q, c in escolhidas:
            if not depois and not antes:
                continue
            saida = ("ee" if letra == "e" else "oo") if q == "A" else letra
            out.append(f"{antes}!({letra.upper()}){depois}={saida}|{c['A']} abertas, {c['F']} fechadas")
    return out

if __name__ == "__main__":
    executa(exemplos, regras, r"; open or closed (e|o) in the stressed syllable",
            lambda letra: f"!({letra})")
