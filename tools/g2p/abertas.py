#!/usr/bin/env python3
"""Learns which stressed e and o are open from a pronouncing lexicon, as rules of the
engine's rule file.

usage: abertas.py LEXICON.tsv [MIN-WORDS] [--parte dev|held|all] [--grava PORTUG.NRL]

For every word whose stressed letter (found as the engine finds it) is a plain e or o,
the lexicon tells whether that vowel is open (ɛ, ɔ) or closed (e, o). The words are
grouped by the letters that follow the stressed vowel (up to 8) and, within a group, by
the letter before it. A group of at least MIN-WORDS words (default 2) with a clear
majority (55 %) that differs from the decision of the group it refines becomes a rule
"X!(E)letters=ee" (or "=e"), so each rule speaks for a spelling pattern shared by
several words. A held-out part (--parte dev to learn, then score the rest) shows how
well the rules carry over to words not seen.

Printed on standard output in the rule file's syntax (UTF-8); with --grava, the rules
replace the two learned blocks of that rule file (cp1252) instead.
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

def regras(exs, minimo, limiar=0.55, direita=8, esquerda=1):
    out = []
    for letra in "eo":
        escolhidas, decisao, cont = arvore(exs, letra, minimo, limiar, direita, esquerda)
        # The file takes the first rule that holds, longest "after" first: a rule with a
        # letter before at a short "after" would also catch words of a longer "after"
        # group that decided otherwise, so such groups get a rule of their own.
        feitas = {(d, a) for d, a, _, _ in escolhidas}
        com_antes = {}
        for depois, antes, d, _ in escolhidas:
            if antes:
                com_antes.setdefault(depois, set()).add(d)
        for (depois, antes), d in decisao.items():
            if antes or not depois or (depois, "") in feitas:
                continue
            if any(x != d for x in com_antes.get(depois[:-1], ())):
                escolhidas.append((depois, "", d, cont[(depois, "")]))
                feitas.add((depois, ""))
        escolhidas.sort(key=lambda e: (-len(e[0]), -len(e[1]), e[0], e[1]))
        for depois, antes, q, c in escolhidas:
            if not depois and not antes:
                continue
            saida = ("ee" if letra == "e" else "oo") if q == "A" else letra
            out.append(f"{antes}!({letra.upper()}){depois}={saida}|{c['A']} abertas, {c['F']} fechadas")
    return out

def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    parte = sys.argv[sys.argv.index("--parte") + 1] if "--parte" in sys.argv else "all"
    args = [a for a in args if a not in ("dev", "held", "all")]
    if "--grava" in sys.argv:
        args.remove(sys.argv[sys.argv.index("--grava") + 1])
    minimo = int(args[1]) if len(args) > 1 else 2
    saida = regras(list(exemplos(args[0], parte)), minimo)
    if "--grava" not in sys.argv:
        print("\n".join(saida))
        return
    grava(sys.argv[sys.argv.index("--grava") + 1], saida)

def grava(arquivo, saida):
    """Replaces the lines after each "; open or closed X in the stressed syllable"
    comment that are learned rules ("!(X)") by the new ones."""
    linhas = open(arquivo, encoding="cp1252").read().split("\n")
    out, k = [], 0
    while k < len(linhas):
        out.append(linhas[k])
        m = re.match(r"; open or closed (e|o) in the stressed syllable", linhas[k])
        k += 1
        if m:
            letra = m.group(1).upper()
            while k < len(linhas) and linhas[k].startswith(";"):
                out.append(linhas[k])
                k += 1
            while k < len(linhas) and f"!({letra})" in linhas[k] and "|" in linhas[k]:
                k += 1
            out += [r for r in saida if f"!({letra})" in r]
    open(arquivo, "w", encoding="cp1252", newline="\n").write("\n".join(out))

if __name__ == "__main__":
    main()
