#!/usr/bin/env python3
"""Learns which stressed e and o are open from a pronouncing lexicon, as rules of the
engine's rule file.

usage: abertas.py LEXICON.tsv [MIN-WORDS] [--parte dev|held|all]

For every word whose stressed letter (found as the engine finds it) is a plain e or o,
the lexicon tells whether that vowel is open (ɛ, ɔ) or closed (e, o). The words are
grouped by the letters that follow the stressed vowel: a group of at least MIN-WORDS
words (default 4) whose majority differs from that of the shorter group containing it
becomes a rule "!(E)letters=ee" (or "=e"), the longest groups first, so each rule
speaks for a spelling pattern shared by many words, never for one word. Printed on
standard output in the rule file's syntax (UTF-8; convert to cp1252).
"""
import re, sys, unicodedata
from collections import Counter

ACC = "àáâãéêíóôõú"
VOW = "aeiouwyü"

def tonica(w):
    """1-based position of the stressed letter, as the engine's finder gives it."""
    n = len(w)
    for i in range(n, 0, -1):
        if w[i - 1] in ACC:
            return i
    if not any(c in VOW for c in w):
        return 0
    res, st = 0, "fim"
    for i in range(n, 0, -1):
        c = w[i - 1]; gq = c in "gq"
        if st == "fim":
            if c in "aeo": res, st = i, "aeo"
            elif c == "u": res, st = i, "u"
            elif c == "i": res, st = i, "i"
            elif c == "s": pass
            elif c == "m" or c == "n" and i < n and w[i] == "s": st = "m"
            else: st = "cons"
        elif st == "aeo":
            if c == "u": st = "uaeo"
            elif c == "i" and i > 1 and w[i - 2] in "aeo": return i - 1
            elif c in VOW: return i
            else: st = "sil"
        elif st == "sil":
            if c in "aeo": return i
            if c in "iu": res, st = i, "siliu"
        elif st == "siliu":
            if c in "aeo": return i
            if c != "u": return res
            st = "uiu"
        elif st == "uaeo":
            if not gq: return i + 1
            res, st = i + 2, "sil"
        elif st == "uiu":
            return i + 2 if gq else i + 1
        elif st == "u":
            return i if c in "aeio" else res
        elif st == "i":
            if c in "aeo": return i
            if c == "u": st = "ui"
            else: return res
        elif st == "ui":
            return i + 2 if gq else i + 1
        elif st == "cons":
            if c in VOW: return i
        elif st == "m":
            if c in "iou": return i
            if c in "ae": res, st = i, "aeo"
            else: st = "fim"
    return res

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
    for num, line in enumerate(open(lexicon, encoding="utf-8"), 1):
        if parte == "dev" and num % 5 == 0 or parte == "held" and num % 5 != 0:
            continue
        w, _, ipa = line.rstrip("\n").partition("\t")
        if not re.fullmatch("[a-zàáâãçéêíóôõúü]+", w):
            continue
        p = tonica(w)
        if p == 0 or w[p - 1] not in "eo":
            continue
        letra = w[p - 1]
        q = qualidade(ipa, letra)
        if q is None:
            continue
        resto = w[p:]
        if resto[:1] in ("m", "n") and not resto[1:2] in ("h",):
            continue  # nasal before m, n: not a question of open or closed
        yield letra, resto, q

def regras(exs, minimo):
    out = []
    for letra in "eo":
        cont = {}
        for l, resto, q in exs:
            if l != letra:
                continue
            chave = resto.upper().replace("Ç", "Ç") + "%"
            for k in range(0, min(len(chave), 5) + 1):
                cont.setdefault(chave[:k], Counter())[q] += 1
        def maioria(c):
            return "A" if c["A"] > c["F"] else "F"
        escolhidas = []
        def desce(prefixo, herdada):
            c = cont[prefixo]
            propria = maioria(c)
            total = c["A"] + c["F"]
            decide = herdada
            if total >= minimo and propria != herdada and max(c.values()) >= 0.65 * total:
                decide = propria
                escolhidas.append((prefixo, propria, c))
            filhos = [p for p in cont if len(p) == len(prefixo) + 1 and p.startswith(prefixo)]
            for f in filhos:
                if not prefixo.endswith("%"):
                    desce(f, decide)
        desce("", "F")
        escolhidas.sort(key=lambda e: -len(e[0]))
        for prefixo, q, c in escolhidas:
            if prefixo == "":
                continue
            saida = ("ee" if letra == "e" else "oo") if q == "A" else letra
            out.append(f"!({letra.upper()}){prefixo}={saida}|{c['A']} abertas, {c['F']} fechadas")
    return out

def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    parte = sys.argv[sys.argv.index("--parte") + 1] if "--parte" in sys.argv else "all"
    args = [a for a in args if a not in ("dev", "held", "all")]
    minimo = int(args[1]) if len(args) > 1 else 4
    for r in regras(list(exemplos(args[0], parte)), minimo):
        print(r)

if __name__ == "__main__":
    main()
