; Siglas lidas como palavras. As demais siglas em maiúsculas, no meio de um texto com
; minúsculas, são soletradas (USB, IBGE, INSS); num texto todo em maiúsculas, só as que
; não se dizem como sílabas do português (INSS, CPF, DVD).
; Uma sigla por linha. SIGLA=pronúncia: a sigla é lida como a pronúncia escrita depois
; do "=", na ortografia de sempre, com os acentos que as letras sozinhas não dão (a
; vogal aberta ou fechada, a sílaba tônica). Sem "=", a sigla é lida pelas suas letras.
ONU=ônu
UNESCO=unésco
UNICEF=unicéfi
OTAN=otã
NASA=nása
FIFA=fífa
OK=oquêi
ISO=ízo
SUS
DETRAN=detrã
ENEM=enêm
FUNAI=funái
IBAMA=ibâma
INCRA=íncra
SENAI=senái
SESC=sésqui
SESI=sézi
SEBRAE=sebráe
PROCON=procôm
UNE=úne
CEP=cépi
PIS=pís
ANATEL=anatél
ANVISA=anvísa
EMBRAPA=embrápa
PETROBRAS=petrobrás
BOVESPA=bovéspa
EMBRATEL=embratél
SAMU=samú
UNICAMP=unicâmpi
USP=úspi
UERJ=uérji
ONG=ôngui
DOS=dós
RAM=râm
ROM=rôm
LED=lédi
LAN=lã
WAN=uã
PIN=pím
FAQ=féqui
SIM
FIM
