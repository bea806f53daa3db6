"""Shared pieces of the g2p learners (abertas.py, atonas.py): the engine's stress
finder, the lexicon's words, the order fix of learned rules, and writing rule blocks."""
import re, sys

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

def palavras(lexicon, parte):
    """(word, ipa, stressed position) of the lexicon's plain lower-case words; parte "dev"
    skips every 5th line, "held" keeps only those, "all" keeps all."""
    for num, line in enumerate(open(lexicon, encoding="utf-8"), 1):
        if parte == "dev" and num % 5 == 0 or parte == "held" and num % 5 != 0:
            continue
        w, _, ipa = line.rstrip("\n").partition("\t")
        if re.fullmatch("[a-zàáâãçéêíóôõúü]+", w):
            yield w, ipa, tonica(w)

def em_ordem(escolhidas, decisao, cont):
    """The rules in the file's order, longest "after" first, then longest "before". The
    file takes the first rule that holds, so a rule with letters before at a short
    "after" would also catch words of a group one letter longer "after" that decided
    otherwise: such groups get a rule of their own."""
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
    return sorted(escolhidas, key=lambda e: (-len(e[0]), -len(e[1]), e[0], e[1]))

def grava(arquivo, cabecalho, marca, saida):
    """In the rule file (cp1252), after each comment matching `cabecalho` (its group 1
    is the letter) and the comments that follow it, the rule lines holding
    marca(LETTER) are replaced by those of `saida` holding it."""
    linhas = open(arquivo, encoding="cp1252").read().split("\n")
    out, k = [], 0
    while k < len(linhas):
        out.append(linhas[k])
        m = re.match(cabecalho, linhas[k])
        k += 1
        if m:
            sinal = marca(m.group(1).upper())
            while k < len(linhas) and linhas[k].startswith(";"):
                out.append(linhas[k])
                k += 1
            while k < len(linhas) and sinal in linhas[k] and "|" in linhas[k]:
                k += 1
            out += [r for r in saida if sinal in r]
    open(arquivo, "w", encoding="cp1252", newline="\n").write("\n".join(out))

def argumentos(minimo_padrao):
    """(lexicon, minimum, part, rule file to write or None) from the command line."""
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    parte = sys.argv[sys.argv.index("--parte") + 1] if "--parte" in sys.argv else "all"
    destino = sys.argv[sys.argv.index("--grava") + 1] if "--grava" in sys.argv else None
    args = [a for a in args if a not in ("dev", "held", "all") and a != destino]
    if not args:
        sys.exit(__import__("__main__").__doc__)
    return args[0], int(args[1]) if len(args) > 1 else minimo_padrao, parte, destino

def executa(exemplos, regras, cabecalho, marca):
    """The learners' command line: learn from the lexicon, then print the rules or write
    them into the rule file's blocks."""
    lexicon, minimo, parte, destino = argumentos(2)
    saida = regras(list(exemplos(lexicon, parte)), minimo)
    if destino:
        grava(destino, cabecalho, marca, saida)
    else:
        print("\n".join(saida))
